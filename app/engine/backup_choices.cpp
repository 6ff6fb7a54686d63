#include "app/engine/backup_choices.h"

#include "app/engine/autostart.h"
#include "app/engine/program_settings.h"
#include "app/engine/scheduler.h"

namespace bkvp::engine {

SavedChoices SaveBackupChoices(const BackupChoices& choices, std::time_t now,
                               const std::string& programPath) {
  SavedChoices saved;
  const std::string program = ProgramKey();
  const bool stored = WriteClientSelection(program, choices.clsids) &&
                      WriteStorePath(program, choices.destination) &&
                      WriteRunImmediately(choices.runImmediately) &&
                      // A schedule turns "Schedule" on only once all of it is stored.
                      (choices.schedule || WriteScheduleEnabled(false));
  if (!stored) saved.problem = "the choices could not be stored in the registry";
  if (choices.schedule) {
    const SavedSchedule schedule =
        SaveSchedule(choices.record, choices.destination, choices.clsids, now);
    if (!schedule.problem.empty())
      saved.problem = schedule.problem;
    else if (!schedule.nextRun)
      saved.problem = "the schedule \"" + ScheduleSentence(choices.record) +
                      "\" has no run day; scheduled backups are off";
    saved.nextRun = schedule.nextRun;
  }
  const AutostartResult autostart = UpdateAutostartEntry(saved.scheduleOn(), programPath);
  if (!autostart.ok) saved.autostartProblem = autostart.error;
  return saved;
}

}  // namespace bkvp::engine
