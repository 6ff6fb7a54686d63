// The close countdown's timer arithmetic and its run, the one rule every face
// of the dialog counts by (the Qt dialog, the terminal). Header-only and
// pure, so that the command-line tool shares it without linking the client
// frame.
#pragma once

#include <algorithm>
#include <functional>

#include "platform/ui.h"

namespace bkvp::clients {

constexpr int kCountdownSeconds = 60;
constexpr int kCountdownTickMilliseconds = 5000;

// The number field and the ticks of one countdown. It starts showing
// `seconds`; each tick shows (ticks - counter) * tick / 1000 with a counter
// starting at 1 (55, 50, ... 5, 0 for the defaults) and the countdown runs
// out on the tick that takes the counter past the number of ticks, which
// ends the dialog with OK.
class CountdownTimer {
 public:
  explicit CountdownTimer(int seconds = kCountdownSeconds,
                          int tickMilliseconds = kCountdownTickMilliseconds)
      : tickMilliseconds_(std::max(1, tickMilliseconds)),
        totalTicks_(std::max(1, seconds * 1000 / tickMilliseconds_)),
        shown_(seconds) {}
  int Shown() const { return shown_; }
  int TickMilliseconds() const { return tickMilliseconds_; }
  int TotalTicks() const { return totalTicks_; }
  // One timer tick; true when the countdown has run out.
  bool Tick() {
    if (Expired()) return true;
    shown_ = (totalTicks_ - counter_) * tickMilliseconds_ / 1000;
    ++counter_;
    return Expired();
  }
  bool Expired() const { return counter_ > totalTicks_; }

 private:
  int tickMilliseconds_;
  int totalTicks_;
  int counter_ = 1;
  int shown_;
};

// Drives a countdown for a face of the dialog: show(number) whenever the
// number field changes (first with the starting value), waitForAnswer(ms)
// waits up to ms for a button and returns IDOK, IDCANCEL, or 0 when none was
// pressed. Returns IDOK when OK was pressed or the countdown ran out, IDCANCEL
// for Cancel or any other answer (closing the dialog).
inline int RunCountdown(const platform::ui::CountdownRequest& request,
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

}  // namespace bkvp::clients
