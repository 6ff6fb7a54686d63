// The close-and-restart protocol around a backup: find the program, say so,
// show the countdown unless closing automatically was chosen, close it, and
// after the backup start it again when that was chosen too.
#pragma once

#include <string>
#include <string_view>

#include "clients/common/client_options.h"
#include "clients/common/running_program.h"
#include "clients/common/string_table.h"
#include "contract/interfaces.h"

namespace bkvp::clients {

struct CloseRestartTexts {
  std::string programName;          // for the countdown: "Outlook", "Netscape"
  std::string running;              // Message when the program was found running
  std::string terminationCanceled;  // countdown not ended with OK
  std::string terminationFailed;    // neither polite close nor termination worked
  std::string terminationSucceeded;
  std::string restartSucceeded;
  std::string restartFailed;
};

// The numbers of those texts in a module's string table.
struct CloseRestartTextIds {
  int running;
  int terminationCanceled;
  int terminationFailed;
  int terminationSucceeded;
  int restartSucceeded;
  int restartFailed;
};
CloseRestartTexts LoadCloseRestartTexts(const StringTable& strings, const std::string& programName,
                                        const CloseRestartTextIds& ids);

// What the closing step found: whether this run closed the program, and the
// module path to start it again from.
struct ClosedProgram {
  bool wasRunning = false;
  std::string modulePath;
};

// Steps before the backup proper. S_OK: go on (closed->wasRunning tells
// whether the program was closed); E_FAIL: the backup ends, the reason has
// been sent as a Message and nothing has been written for the client.
HRESULT CloseBeforeBackup(IProgress* progress, std::string_view moduleName, bool autoClose,
                          const CloseRestartTexts& texts, const CloseWaits& waits,
                          ClosedProgram* closed);

// After EndClient: when AutoClose and AutoRestart are both on and this run
// closed the program, open its module path with the shell (parameters as
// given) and report restartSucceeded / restartFailed. Otherwise nothing.
void RestartAfterBackup(IProgress* progress, const ClosedProgram& closed,
                        const CloseRestartOptions& options, const CloseRestartTexts& texts,
                        const std::string& parameters = "");

}  // namespace bkvp::clients
