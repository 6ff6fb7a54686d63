// One line for the tray's tooltip: when the last backup was made and when
// the next scheduled one is due.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "app/engine/program_settings.h"

namespace bkvp::engine {

// The moment encoded in the newest archive name of a folder (ending with
// "/"), as local time; nullopt when the folder holds no archive.
std::optional<std::tm> NewestArchiveMoment(const std::string& folder);

// "Last backup: 2024-05-03 22:30 · Next: 2024-05-04 22:30" ("never" when the
// scheduled destination holds no archive yet), or "No backup scheduled".
std::string ScheduleStatusLine(const ProgramSettings& settings);

}  // namespace bkvp::engine
