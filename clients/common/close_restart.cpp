#include "clients/common/close_restart.h"

#include "clients/common/close_countdown.h"
#include "clients/common/progress_calls.h"
#include "platform/processes.h"

namespace bkvp::clients {

CloseRestartTexts LoadCloseRestartTexts(const StringTable& strings, const std::string& programName,
                                        const CloseRestartTextIds& ids) {
  return {programName,
          strings.Load(ids.running),
          strings.Load(ids.terminationCanceled),
          strings.Load(ids.terminationFailed),
          strings.Load(ids.terminationSucceeded),
          strings.Load(ids.restartSucceeded),
          strings.Load(ids.restartFailed)};
}

HRESULT CloseBeforeBackup(IProgress* progress, std::string_view moduleName, bool autoClose,
                          const CloseRestartTexts& texts, const CloseWaits& waits,
                          ClosedProgram* closed) {
  *closed = ClosedProgram{};
  const auto match = FindRunningProgram(moduleName);
  if (!match) return S_OK;
  SendMessage(progress, texts.running);
  if (!autoClose && CloseCountdownDialog(texts.programName) != IDOK) {
    SendMessage(progress, texts.terminationCanceled);
    return E_FAIL;
  }
  if (!CloseRunningProgram(*match, waits)) {
    SendMessage(progress, texts.terminationFailed);
    return E_FAIL;
  }
  SendMessage(progress, texts.terminationSucceeded);
  closed->wasRunning = true;
  closed->modulePath = match->modulePath;
  return S_OK;
}

void RestartAfterBackup(IProgress* progress, const ClosedProgram& closed,
                        const CloseRestartOptions& options, const CloseRestartTexts& texts,
                        const std::string& parameters) {
  if (!options.autoClose || !options.autoRestart || !closed.wasRunning) return;
  SendMessage(progress, platform::ShellOpen(closed.modulePath, parameters) ? texts.restartSucceeded
                                                                           : texts.restartFailed);
}

}  // namespace bkvp::clients
