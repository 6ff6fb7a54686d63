#include "clients/common/close_countdown.h"

namespace bkvp::clients {

platform::ui::CountdownRequest MakeCountdownRequest(const std::string& programName) {
  platform::ui::CountdownRequest request;
  request.caption = programName;
  request.runningText = "One or more instances of " + programName + " are currently running.";
  request.closingText = programName + " will be automatically closed in";
  request.seconds = kCountdownSeconds;
  request.tickMilliseconds = kCountdownTickMilliseconds;
  return request;
}

int CloseCountdownDialog(const std::string& programName) {
  const int answer = platform::ui::CloseCountdown(MakeCountdownRequest(programName));
  return answer == platform::ui::IDOK ? platform::ui::IDOK : platform::ui::IDCANCEL;
}

}  // namespace bkvp::clients
