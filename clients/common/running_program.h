// Finding a running mail or browser program and closing it: politely first,
// by force when it does not listen. Only processes of the calling user are
// searched and signalled (another user's program does not hold this user's
// files and could not be closed anyway).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace bkvp::clients {

// A running instance: the module path as the system reports it (the
// executable, or the first command-line word when only that matched) and
// the process id.
struct ProcessMatch {
  std::string modulePath;
  pid_t processId = 0;
};

// The waits of closing. The defaults are the ones of a real run; tests
// shorten them.
struct CloseWaits {
  std::chrono::milliseconds politeClose{30000};  // CloseProgramGracefully
  std::chrono::milliseconds terminate{30000};    // TerminateProgram
  std::chrono::milliseconds sleep{1000};         // between termination rounds
};

// The first process (ascending pid) whose lower-cased executable path or
// first command-line word contains the lower-cased name anywhere
// ("msimn.exe" also matches ".../msimn.exe.bak"). A full module path found
// earlier may be passed to match that program exactly.
std::optional<ProcessMatch> FindRunningProgram(std::string_view name);

// Asks the process to close and waits up to `wait` for it to end. True when
// it ended in time, also when it had already gone before it was asked;
// false for another user's process (never signalled).
bool CloseProgramGracefully(pid_t processId,
                            std::chrono::milliseconds wait = std::chrono::milliseconds(30000));

// Ends the matched process by force: true at once when no process with the
// match's module path runs any more; otherwise kills match.processId (only
// while that id still belongs to the program), then every `sleep` looks
// again, until the program is gone (true) or `wait` has passed (false).
bool TerminateProgram(const ProcessMatch& match,
                      std::chrono::milliseconds wait = std::chrono::milliseconds(30000),
                      std::chrono::milliseconds sleep = std::chrono::milliseconds(1000));

// CloseProgramGracefully, and TerminateProgram when that failed; true when
// the program is closed.
bool CloseRunningProgram(const ProcessMatch& match, const CloseWaits& waits = {});

}  // namespace bkvp::clients
