#include "clients/common/ask_until_closed.h"

#include <thread>

#include "clients/common/progress_calls.h"
#include "clients/common/running_program.h"

namespace bkvp::clients {

namespace {

// Gives a program that was just asked to close a moment to go; true when it
// went.
bool SettledAway(const std::function<bool()>& programInTheWay, const AskLimits& limits) {
  const auto deadline = std::chrono::steady_clock::now() + limits.settle;
  for (;;) {
    if (!programInTheWay()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(limits.poll);
  }
}

}  // namespace

HRESULT AskWhile(IProgress* progress, const std::function<bool()>& programInTheWay,
                 const std::string& question, const std::string& cancelText,
                 const AskLimits& limits) {
  if (!programInTheWay()) return S_OK;
  for (int round = 0; round < limits.maxRounds; ++round) {
    if (AskPrompt(progress, question, kPromptOkCancel) == IDCANCEL) break;
    if (SettledAway(programInTheWay, limits)) return S_OK;
  }
  SendMessage(progress, cancelText);
  return E_FAIL;
}

HRESULT AskUntilClosed(IProgress* progress, std::string_view moduleName,
                       const std::string& question, const std::string& cancelText,
                       const AskLimits& limits) {
  const std::string name(moduleName);
  return AskWhile(
      progress, [&name] { return FindRunningProgram(name).has_value(); }, question, cancelText,
      limits);
}

}  // namespace bkvp::clients
