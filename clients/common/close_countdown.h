// The close countdown: "<Program> will be automatically closed in 60
// seconds", OK and Cancel. The dialog itself sits behind the platform UI
// seam (Qt dialog, terminal countdown, or the unattended answer); the timer
// arithmetic and the meaning of its results are in countdown_timer.h so that
// every face counts alike.
#pragma once

#include <string>

#include "clients/common/countdown_timer.h"
#include "platform/ui.h"

namespace bkvp::clients {

// The texts for a program ("Outlook", "Netscape"): caption the program name,
// "One or more instances of <program> are currently running.",
// "<program> will be automatically closed in", 60 seconds, 5-second ticks.
platform::ui::CountdownRequest MakeCountdownRequest(const std::string& programName);

// Shows the countdown through the platform seam; IDOK or IDCANCEL (any
// answer other than OK counts as Cancel).
int CloseCountdownDialog(const std::string& programName);

}  // namespace bkvp::clients
