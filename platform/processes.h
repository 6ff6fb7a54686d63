// Processes of this machine, read from /proc, and the few things the clients
// do to them: ask them to close, end them, wait for them, and start a program
// the way the desktop's "open" verb does. Only processes that belong to the
// calling user are ever signalled.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#pragma GCC visibility push(default)

namespace bkvp::platform {

struct ProcessInfo {
  pid_t pid = 0;
  std::string exePath;    // target of /proc/PID/exe; "" when it cannot be read
  std::string firstWord;  // first command-line word (argv[0]); "" when none
  uid_t uid = 0;          // real user id from /proc/PID/status
};

// Every live process (zombies are left out), in ascending pid order. A
// missing or unreadable /proc gives an empty list.
std::vector<ProcessInfo> ListProcesses();

// True while the process exists and has not exited (a zombie has exited).
bool ProcessAlive(pid_t pid);
// True when the process exists and its real user is the calling user.
bool OwnedByCurrentUser(pid_t pid);

enum class SignalOutcome {
  Sent,          // the signal was delivered
  Gone,          // the process no longer exists (or has already exited)
  NotPermitted,  // another user's process, or the system refused
};
// SIGTERM: a polite request to close.
SignalOutcome RequestClose(pid_t pid);
// SIGKILL.
SignalOutcome Kill(pid_t pid);

// Waits until the process has exited (or vanished), polling; true when it
// did within the timeout.
bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

// The shell's "open" verb: an executable file is started itself with the
// parameters (split at blanks, double quotes group words); anything else is
// handed to xdg-open. The program starts detached (its own session, no
// child left to reap). True when the program could be started; false at once
// when nothing exists at the path.
bool ShellOpen(const std::string& path, const std::string& parameters = "");

}  // namespace bkvp::platform

#pragma GCC visibility pop
