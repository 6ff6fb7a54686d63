#include "clients/common/close_countdown.h"

#include <algorithm>

namespace bkvp::clients {

CountdownTimer::CountdownTimer(int seconds, int tickMilliseconds)
    : tickMilliseconds_(std::max(1, tickMilliseconds)),
      totalTicks_(std::max(1, seconds * 1000 / tickMilliseconds_)),
      shown_(seconds) {}

bool CountdownTimer::Tick() {
  if (Expired()) return true;
  shown_ = (totalTicks_ - counter_) * tickMilliseconds_ / 1000;
  ++counter_;
  return Expired();
}

int RunCountdown(const platform::ui::CountdownRequest& request,
                 const std::function<void(int shown)>& show,
                 const std::function<int(int milliseconds)>& waitForAnswer) {
  CountdownTimer timer(request.seconds, request.tickMilliseconds);
  show(timer.Shown());
  for (;;) {
    const int answer = waitForAnswer(timer.TickMilliseconds());
    if (answer == platform::ui::IDOK) return platform::ui::IDOK;
    if (answer != 0) return platform::ui::IDCANCEL;
    const bool expired = timer.Tick();
    show(timer.Shown());
    if (expired) return platform::ui::IDOK;
  }
}

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
