// What the tray's tooltip says, read from the run history rather than from
// one destination's folder: the last good backup, the last run when it
// failed, and the next scheduled run as the scheduler will start it.
#pragma once

#include <ctime>
#include <string>

#include "app/engine/program_settings.h"

namespace bkvp::engine {

// Lines such as
//   "Last backup: 2024-05-03 22:30 (VOPALARC....KV)"
//   "Last run failed: cannot create the destination ... (open the log)"
//   "Next: 2024-05-04 22:30"   ("Next: now" once the moment has passed,
//                               "No backup scheduled" without a schedule)
// joined by line breaks.
std::string TrayStatusText(const ProgramSettings& settings, std::time_t now);

}  // namespace bkvp::engine
