// The scheduler: the one-minute timer handler, the scheduled run, and the
// start-up check for a run that was cut off. "Now" always comes from a clock
// the caller supplies, so the rules can be driven without waiting.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/engine/program_settings.h"
#include "app/engine/run_backup.h"

namespace bkvp::engine {

using NowFunction = std::function<std::time_t()>;
std::time_t SystemNow();

void SetTaskStatus(uint32_t status);

// Computes the next run after `now` and stores it as "TaskTime". A record
// without any run day disables scheduling ("Schedule" 0), says so in the log
// and fails with kInvalid; a moment the store would not take fails with
// kCannotWrite.
Result<std::time_t> StoreNextRun(const ScheduleRecord& record, std::time_t now);

// The choices of a schedule as the wizard's Finish stores them: the record,
// the destination and clients of scheduled runs, "Schedule" 1, and the next
// run moment. kInvalid: stored, but the record has no run day and scheduling
// is off; kCannotWrite: not stored.
Result<std::time_t> SaveSchedule(const ScheduleRecord& record, const std::string& destination,
                                 const std::vector<std::string>& clsids, std::time_t now);

// One scheduled backup with the stored destination (created when missing)
// and clients, no display; prunes to the keep count after a run that was
// carried out. Requires: the caller holds the run lock.
RunOutcome RunScheduledBackup(const ProgramSettings& settings, std::time_t now,
                              const BackuperFactory& createBackuper = {});

enum class TickOutcome {
  kDisabled,          // scheduling is off
  kBusy,              // a run is in progress or the wizard is open
  kInterruptedFound,  // "TaskStatus" was 1 with no run going: settled as cut off
  kNotDue,
  kRunCompleted,  // "TaskStatus" 2, next run computed
  kRunFailed,     // "TaskStatus" 0, error on; retried at the next tick
};

struct TickReport {
  TickOutcome outcome = TickOutcome::kDisabled;
  std::time_t taskTime = 0;  // the next run after the tick
  RunOutcome run;            // for the two run outcomes
  // Whether the next run could be stored after a completed run; when it
  // could not, this scheduler keeps it and does not run again before it.
  Status nextRunStored;
};

class Scheduler {
 public:
  explicit Scheduler(NowFunction now = SystemNow) : now_(std::move(now)) {}
  // The wizard and the scheduler exclude each other.
  void SetWizardOpen(bool open) { wizardOpen_ = open; }
  // Tests run the scheduled backup against a writer of their own.
  void SetBackuperFactory(BackuperFactory factory) { createBackuper_ = std::move(factory); }
  // The timer handler.
  TickReport Tick();

 private:
  NowFunction now_;
  bool wizardOpen_ = false;
  // The next run this scheduler computed but the store would not take: a
  // "TaskTime" left in the past would otherwise run the backup at every tick.
  std::time_t unstoredNextRun_ = 0;
  BackuperFactory createBackuper_;
};

// A "TaskStatus" of 1 with no run going means the last run was cut off (the
// program or the machine stopped during it). Settles it once: appends the
// banner to its log, turns the error state on, stores "TaskStatus" 0 and
// keeps the last-run record saying so. The program calls it at start-up, the
// scheduler's tick and the command line before they look at the state.
// True when a cut-off run was found.
bool CheckForInterruptedRun();
// The settling itself, for a caller that holds the run lock.
void SettleCutOffRun();

}  // namespace bkvp::engine
