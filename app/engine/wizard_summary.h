// The texts the wizard's finish pages show before a run: what will be saved
// where and when, or what will be restored.
#pragma once

#include <string>
#include <vector>

#include "app/engine/schedule.h"

namespace bkvp::engine {

struct BackupSummaryInput {
  std::vector<std::string> clientNames;
  std::string destination;
  bool runImmediately = false;
  bool schedule = false;
  ScheduleRecord record;  // used when `schedule` is set
};

// "Backup Vopal is now ready to begin backup", the items, the destination
// and the schedule ("Now", the schedule sentence, both, or "None"), each
// item on its own tab-indented line.
std::string BackupSummary(const BackupSummaryInput& input);

// "Backup Vopal is now ready to restore data from archive" and the clients.
std::string RestoreSummary(const std::vector<std::string>& clientNames);

}  // namespace bkvp::engine
