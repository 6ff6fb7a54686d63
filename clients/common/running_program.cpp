#include "clients/common/running_program.h"

#include <unistd.h>

#include <thread>

#include "platform/processes.h"
#include "platform/text.h"

namespace bkvp::clients {

namespace {

// The text by which a process of this user matches the lower-cased name: its
// executable path, else its first command-line word; none when neither
// contains the name or the process belongs to someone else.
const std::string* MatchingText(const platform::ProcessInfo& process, const std::string& wanted) {
  if (process.uid != getuid()) return nullptr;
  for (const std::string* candidate : {&process.exePath, &process.firstWord}) {
    if (!candidate->empty() && platform::ToLower(*candidate).find(wanted) != std::string::npos)
      return candidate;
  }
  return nullptr;
}

}  // namespace

std::optional<ProcessMatch> FindRunningProgram(std::string_view name) {
  const std::string wanted = platform::ToLower(name);
  for (const platform::ProcessInfo& process : platform::ListProcesses()) {
    if (const std::string* text = MatchingText(process, wanted))
      return ProcessMatch{*text, process.pid};
  }
  return std::nullopt;
}

bool CloseProgramGracefully(pid_t processId, std::chrono::milliseconds wait) {
  switch (platform::RequestClose(processId)) {
    case platform::SignalOutcome::Gone:
      return true;  // ended between being found and being asked
    case platform::SignalOutcome::NotPermitted:
      return false;
    case platform::SignalOutcome::Sent:
      break;
  }
  return platform::WaitForExit(processId, wait);
}

bool TerminateProgram(const ProcessMatch& match, std::chrono::milliseconds wait,
                      std::chrono::milliseconds sleep) {
  const auto start = std::chrono::steady_clock::now();
  const std::string wanted = platform::ToLower(match.modulePath);
  for (;;) {
    bool running = false, stillThatProgram = false;
    for (const platform::ProcessInfo& process : platform::ListProcesses()) {
      if (!MatchingText(process, wanted)) continue;
      running = true;
      stillThatProgram = stillThatProgram || process.pid == match.processId;
    }
    if (!running) return true;
    // Once the matched process has gone its id may be handed to an unrelated
    // program, which must not be killed in its place.
    if (stillThatProgram) platform::Kill(match.processId);
    if (std::chrono::steady_clock::now() - start >= wait) return false;
    std::this_thread::sleep_for(sleep);
  }
}

bool CloseRunningProgram(const ProcessMatch& match, const CloseWaits& waits) {
  return CloseProgramGracefully(match.processId, waits.politeClose) ||
         TerminateProgram(match, waits.terminate, waits.sleep);
}

}  // namespace bkvp::clients
