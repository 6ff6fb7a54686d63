#include "clients/common/running_program.h"

#include <unistd.h>

#include <thread>

#include "platform/processes.h"
#include "platform/text.h"

namespace bkvp::clients {

std::optional<ProcessMatch> FindRunningProgram(std::string_view name) {
  const std::string wanted = platform::ToLower(name);
  const uid_t self = getuid();
  for (const platform::ProcessInfo& process : platform::ListProcesses()) {
    if (process.uid != self) continue;
    for (const std::string* candidate : {&process.exePath, &process.firstWord}) {
      if (!candidate->empty() && platform::ToLower(*candidate).find(wanted) != std::string::npos)
        return ProcessMatch{*candidate, process.pid};
    }
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
  while (FindRunningProgram(match.modulePath)) {
    platform::Kill(match.processId);
    if (std::chrono::steady_clock::now() - start >= wait) return false;
    std::this_thread::sleep_for(sleep);
  }
  return true;
}

bool CloseRunningProgram(const ProcessMatch& match, const CloseWaits& waits) {
  return CloseProgramGracefully(match.processId, waits.politeClose) ||
         TerminateProgram(match, waits.terminate, waits.sleep);
}

}  // namespace bkvp::clients
