#include "app/engine/backup_now.h"

#include <filesystem>

#include "app/engine/last_good_backup.h"
#include "app/engine/last_run.h"
#include "app/engine/program_settings.h"
#include "app/engine/remote_backup.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_lock.h"
#include "app/engine/scheduler.h"
#include "platform/files.h"

namespace bkvp::engine {

std::string SelectClientsForBackup(ClientList& clients, const std::vector<std::string>& named,
                                   const std::vector<std::string>& stored) {
  clients.ClearSelection();
  if (!named.empty()) {
    for (const std::string& wanted : named) {
      ClientEntry* client = FindClientByIdOrName(clients, wanted);
      if (!client) return "no installed client " + wanted;
      client->selected = true;
    }
  } else if (!stored.empty()) {
    clients.Select(stored);
  } else {
    for (ClientEntry& c : clients.entries())
      c.selected = IsClientPresent(c.service.get()) &&
                   ClientInfoText(c.service.get(), "HasBackup").value_or("x").empty();
  }
  return clients.Selected().empty() ? "no client to back up" : "";
}

std::string PrepareDestination(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (platform::DirectoryExists(folder)) return "";
  return "cannot create the destination " + folder + ": " +
         (ec ? ec.message() : std::string("it exists and is not a folder"));
}

RunOutcome RecordedBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                          ProgressDisplay* display, const CancelRequest* cancel, bool scheduled,
                          const BackuperFactory& createBackuper, const AfterBackup& afterBackup) {
  LastRun started;
  started.time = job.time;
  started.result = RunResult::kStopped;
  started.scheduled = scheduled;
  started.cutOff = true;
  // A start the store would not take waits in the program folder like any
  // record; the run's own record below says whether it got through.
  static_cast<void>(RecordLastRun(RunKind::kBackup, started));
  SetTaskStatus(kTaskRunning);

  RunOutcome outcome = RunBackup(job, clients, destination, display, cancel, createBackuper);
  if (afterBackup) afterBackup(outcome);
  RecordGoodBackup(outcome, job.time);
  SetTaskStatus(outcome.carriedOut() ? kTaskCompleted : kTaskIdleOrFailed);
  outcome.recorded = RecordFinishedRun(RunKind::kBackup, LastRunFrom(outcome, job.time, scheduled));
  return outcome;
}

RunOutcome BackupNow(const BackupJob& job, ClientList& clients, const std::string& destination,
                     ProgressDisplay* display, const CancelRequest* cancel,
                     const BackuperFactory& createBackuper) {
  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) return CouldNotStart(why);
  if (IsRemotePlace(destination))
    return RemoteBackup(job, clients, destination, display, cancel, false, 0, createBackuper);
  if (std::string problem = PrepareDestination(destination); !problem.empty())
    return CouldNotStart(problem);
  return RecordedBackup(job, clients, WithTrailingSlash(destination), display, cancel,
                        /*scheduled=*/false, createBackuper);
}

}  // namespace bkvp::engine
