#include "app/engine/backup_choices.h"

#include "app/engine/autostart.h"
#include "app/engine/program_settings.h"
#include "app/engine/scheduler.h"

namespace bkvp::engine {

SavedChoices SaveBackupChoices(const BackupChoices& choices, std::time_t now,
                               const std::string& programPath) {
  SavedChoices saved;
  const std::string program = ProgramKey();
  for (const Status& stored :
       {WriteClientSelection(program, choices.clsids), WriteStorePath(program, choices.destination),
        WriteRunImmediately(choices.runImmediately),
        // A schedule turns "Schedule" on only once all of it is stored.
        choices.schedule ? Status() : WriteScheduleEnabled(false)})
    if (saved.stored.ok() && !stored.ok()) saved.stored = stored;
  if (choices.schedule) {
    Result<std::time_t> next =
        SaveSchedule(choices.record, choices.destination, choices.clsids, now);
    if (next.ok())
      saved.nextRun = next.value();
    else if (saved.stored.ok())
      saved.stored = next.status();
  }
  saved.autostart = UpdateAutostartEntry(saved.scheduleOn(), programPath);
  return saved;
}

}  // namespace bkvp::engine
