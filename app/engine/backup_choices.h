// The backup wizard's choices kept as the program's settings when the user
// presses Finish: the clients and destination preselected next time, and the
// schedule that the tray program runs from then on.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/engine/schedule.h"
#include "contract/status.h"

namespace bkvp::engine {

struct BackupChoices {
  std::vector<std::string> clsids;  // the checked clients, in list order
  std::string destination;          // ends with "/"
  bool runImmediately = false;
  bool schedule = false;  // "Schedule for later execution"
  ScheduleRecord record;  // used when `schedule` is set
};

struct SavedChoices {
  Status stored;  // a value that could not be stored, or a schedule without run day
  // The next scheduled run; nullopt when no schedule is on afterwards.
  std::optional<std::time_t> nextRun;
  Status autostart;  // whether the autostart entry could follow
  bool scheduleOn() const { return nextRun.has_value(); }
};

// Writes "Client1"..., "StorePath", "RunImmediately" and "Schedule" in the
// program key; with a schedule also its record, destination, clients and next
// run in the "Schedule" subkey. The autostart entry that starts `programPath`
// at login is written while a schedule is on and removed otherwise.
SavedChoices SaveBackupChoices(const BackupChoices& choices, std::time_t now,
                               const std::string& programPath);

}  // namespace bkvp::engine
