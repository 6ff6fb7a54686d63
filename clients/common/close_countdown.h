// The close countdown: "<Program> will be automatically closed in 60
// seconds", OK and Cancel. The dialog itself sits behind the platform UI
// seam (Qt dialog, terminal countdown, or the unattended answer); the timer
// arithmetic and the meaning of its results live here so that every face
// counts alike.
#pragma once

#include <functional>
#include <string>

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
                          int tickMilliseconds = kCountdownTickMilliseconds);
  int Shown() const { return shown_; }
  int TickMilliseconds() const { return tickMilliseconds_; }
  int TotalTicks() const { return totalTicks_; }
  // One timer tick; true when the countdown has run out.
  bool Tick();
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
int RunCountdown(const platform::ui::CountdownRequest& request,
                 const std::function<void(int shown)>& show,
                 const std::function<int(int milliseconds)>& waitForAnswer);

// The texts for a program ("Outlook", "Netscape"): caption the program name,
// "One or more instances of <program> are currently running.",
// "<program> will be automatically closed in", 60 seconds, 5-second ticks.
platform::ui::CountdownRequest MakeCountdownRequest(const std::string& programName);

// Shows the countdown through the platform seam; IDOK or IDCANCEL (any
// answer other than OK counts as Cancel).
int CloseCountdownDialog(const std::string& programName);

}  // namespace bkvp::clients
