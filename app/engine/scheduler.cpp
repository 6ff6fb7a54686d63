#include "app/engine/scheduler.h"

#include <algorithm>

#include "app/engine/backup_now.h"
#include "app/engine/destination_volume.h"
#include "app/engine/discovery.h"
#include "app/engine/error_state.h"
#include "app/engine/last_run.h"
#include "app/engine/pruning.h"
#include "app/engine/remote_backup.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "platform/registry.h"

namespace bkvp::engine {

std::time_t SystemNow() { return std::time(nullptr); }

void SetTaskStatus(uint32_t status) {
  // A status that cannot be stored shows as a run cut off at the next start:
  // the cautious reading.
  platform::RegWriteDword(ScheduleKey(), "TaskStatus", status);
}

Result<std::time_t> StoreNextRun(const ScheduleRecord& record, std::time_t now) {
  const auto next = ComputeNextRun(record, now);
  if (!next) {
    const std::string why = "the schedule \"" + ScheduleSentence(record) +
                            "\" has no run day; scheduled backups are off";
    const Status disabled = WriteScheduleEnabled(false);
    RunLog log;
    if (log.OpenForAppend()) log.Write("T" + why.substr(1) + ".\n");
    return Status(Status::Code::kInvalid, disabled.ok() ? why : why + "; " + disabled.message());
  }
  // "TaskTime" is an unsigned 32-bit count of seconds.
  if (Status stored = WriteTaskTime(static_cast<uint32_t>(*next)); !stored.ok()) return stored;
  return *next;
}

Result<std::time_t> SaveSchedule(const ScheduleRecord& record, const std::string& destination,
                                 const std::vector<std::string>& clsids, std::time_t now) {
  for (const Status& stored :
       {WriteScheduleRecord(record), WriteStorePath(ScheduleKey(), destination),
        WriteClientSelection(ScheduleKey(), clsids)})
    if (!stored.ok()) return stored;
  if (Status enabled = WriteScheduleEnabled(true); !enabled.ok()) return enabled;
  return StoreNextRun(record, now);
}

RunOutcome RunScheduledBackup(const ProgramSettings& settings, std::time_t now,
                              const BackuperFactory& createBackuper) {
  ClientList clients = DiscoverClients();
  clients.Select(settings.scheduleClients);
  const BackupJob job = ScheduledJob(now, ScheduleSentence(settings.schedule));
  if (IsRemotePlace(settings.scheduleStorePath))
    return RemoteBackup(job, clients, settings.scheduleStorePath, nullptr, nullptr,
                        /*scheduled=*/true, settings.schedule.keepCount, createBackuper);
  const std::string destination = WithTrailingSlash(settings.scheduleStorePath);
  if (Status sameDrive = CheckDestinationVolume(ScheduleKey(), destination); !sameDrive.ok())
    return RefusedBackup(sameDrive.message() + ".", sameDrive.message(), now, /*scheduled=*/true);
  if (Status prepared = PrepareDestination(destination); !prepared.ok())
    return RefusedBackup("The scheduled backup " + prepared.message() + ".", prepared.message(),
                         now, /*scheduled=*/true);
  const RunOutcome outcome = RecordedBackup(job, clients, destination, nullptr, nullptr,
                                            /*scheduled=*/true, createBackuper);
  if (outcome.carriedOut() && settings.schedule.keepCount > 0)
    PruneArchives(destination, settings.schedule.keepCount, outcome.archivePath);
  return outcome;
}

TickReport Scheduler::Tick() {
  TickReport report;
  const std::time_t now = now_();
  ProgramSettings settings = ProgramSettings::Load(now);
  report.taskTime = settings.taskTime;
  if (!settings.scheduleEnabled) return report;

  report.outcome = TickOutcome::kBusy;
  if (wizardOpen_) return report;
  // Taken before "TaskStatus" is looked at: a run of another process
  // (bkvp backup) also shows 1 and must not be taken for a cut-off one.
  auto lock = RunLock::TryAcquire();
  if (!lock) return report;
  // That run may have ended between the first reading and the lock: only
  // what is stored now, under the lock, tells a finished run from a cut-off one.
  settings = ProgramSettings::Load(now);
  report.taskTime = settings.taskTime;
  if (!settings.scheduleEnabled) {
    report.outcome = TickOutcome::kDisabled;
    return report;
  }

  if (settings.taskStatus == kTaskRunning) {
    SettleCutOffRun();
    report.outcome = TickOutcome::kInterruptedFound;
    return report;
  }
  const std::time_t due = std::max<std::time_t>(settings.taskTime, unstoredNextRun_);
  if (now < due) {
    report.taskTime = due;
    report.outcome = TickOutcome::kNotDue;
    return report;
  }

  report.run = RunScheduledBackup(settings, now, createBackuper_);
  if (report.run.carriedOut()) {
    const std::time_t after = std::max(now, now_());
    Result<std::time_t> next = StoreNextRun(settings.schedule, after);
    if (!next.ok() && next.status().code() == Status::Code::kCannotWrite) {
      // Kept here instead; the log and the error state say it was not stored.
      if (const auto computed = ComputeNextRun(settings.schedule, after))
        unstoredNextRun_ = *computed;
      RunLog log;
      if (log.OpenForAppend())
        log.Write("The next run could not be stored: " + next.status().message() + ".\n");
      SetErrorState(true);
    }
    if (next.ok()) report.taskTime = next.value();
    if (unstoredNextRun_ > now) report.taskTime = unstoredNextRun_;
    report.nextRunStored =
        next.status().code() == Status::Code::kCannotWrite ? next.status() : Status();
    report.outcome = TickOutcome::kRunCompleted;
  } else {
    SetTaskStatus(kTaskIdleOrFailed);
    SetErrorState(true);
    report.outcome = TickOutcome::kRunFailed;
  }
  return report;
}

bool CheckForInterruptedRun() {
  if (ReadTaskStatus() != kTaskRunning || RunInProgress()) return false;
  SettleCutOffRun();
  return true;
}

void SettleCutOffRun() {
  RunLog log;
  if (log.OpenForAppend()) log.Write(InterruptedRunBanner());
  SetTaskStatus(kTaskIdleOrFailed);
  SetErrorState(true);
  // The record a run leaves when it starts already says "cut off"; one from
  // before such records existed gets one now.
  auto last = ReadLastRun(RunKind::kBackup);
  if (!last || !last->cutOff) {
    LastRun run;
    run.time = std::time(nullptr);
    run.result = RunResult::kStopped;
    run.cutOff = true;
    static_cast<void>(RecordFinishedRun(RunKind::kBackup, run));
  }
}

}  // namespace bkvp::engine
