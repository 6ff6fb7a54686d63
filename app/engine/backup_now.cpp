#include "app/engine/backup_now.h"

#include <algorithm>
#include <filesystem>

#include "app/engine/destination_volume.h"
#include "app/engine/error_state.h"
#include "app/engine/last_good_backup.h"
#include "app/engine/last_run.h"
#include "app/engine/program_settings.h"
#include "app/engine/remote_backup.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "app/engine/scheduler.h"
#include "platform/files.h"

namespace bkvp::engine {

std::string NothingToSave(ClientEntry& client) {
  std::string why = ClientInfoText(client, "HasBackup").value_or("");
  // Clients say it as a message box would: their name, then "Error: ...".
  if (const size_t error = why.rfind("Error: "); error != std::string::npos)
    why = why.substr(error + 7);
  std::replace(why.begin(), why.end(), '\n', ' ');
  return why;
}

Status SelectClientsForBackup(ClientList& clients, const std::vector<std::string>& named,
                              const std::vector<std::string>& stored) {
  clients.ClearSelection();
  if (!named.empty()) {
    for (const std::string& wanted : named) {
      ClientEntry* client = FindClientByIdOrName(clients, wanted);
      if (!client) return {Status::Code::kNotFound, "no installed client " + wanted};
      if (const std::string why = NothingToSave(*client); !why.empty())
        return {Status::Code::kInvalid, client->name + ": " + why};
      client->selected = true;
    }
    return {};
  }
  if (stored.empty())
    for (ClientEntry& c : clients.entries()) c.selected = IsClientPresent(c);
  else
    clients.Select(stored);
  // A client with nothing to save would only log so at every run.
  std::string firstWhy;
  for (ClientEntry* client : clients.Selected())
    if (const std::string why = NothingToSave(*client); !why.empty()) {
      client->selected = false;
      if (firstWhy.empty()) firstWhy = client->name + ": " + why;
    }
  if (clients.Selected().empty())
    return {Status::Code::kInvalid, firstWhy.empty() ? "no client to back up" : firstWhy};
  return {};
}

Status PrepareDestination(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (platform::DirectoryExists(folder)) return {};
  return {Status::Code::kCannotWrite,
          "cannot create the destination " + folder + ": " +
              (ec ? ec.message() : std::string("it exists and is not a folder"))};
}

RunOutcome RefusedBackup(const std::string& logLine, std::string problem, std::time_t time,
                         bool scheduled) {
  RunLog log;
  if (log.Create()) log.Write(std::string(kLogFirstLine) + logLine + "\n");
  RunOutcome outcome = CouldNotStart(std::move(problem));
  SetErrorState(true);
  outcome.errorStateSet = true;
  outcome.recorded =
      RecordFinishedRun(RunKind::kBackup, LastRunFrom(outcome, time, scheduled)).ok();
  return outcome;
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
  outcome.recorded =
      RecordFinishedRun(RunKind::kBackup, LastRunFrom(outcome, job.time, scheduled)).ok();
  return outcome;
}

RunOutcome BackupNow(const BackupJob& job, ClientList& clients, const std::string& destination,
                     ProgressDisplay* display, const CancelRequest* cancel,
                     const BackuperFactory& createBackuper, DestinationOrigin origin) {
  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) return CouldNotStart(why);
  if (origin == DestinationOrigin::kStored)
    if (Status sameDrive = CheckDestinationVolume(ProgramKey(), destination); !sameDrive.ok())
      return RefusedBackup(sameDrive.message() + ".", sameDrive.message(), job.time, false);
  RunOutcome outcome;
  if (IsRemotePlace(destination)) {
    outcome = RemoteBackup(job, clients, destination, display, cancel, false, 0, createBackuper);
  } else if (Status prepared = PrepareDestination(destination); !prepared.ok()) {
    return CouldNotStart(prepared.message());
  } else {
    outcome = RecordedBackup(job, clients, WithTrailingSlash(destination), display, cancel,
                             /*scheduled=*/false, createBackuper);
  }
  // A destination that took an archive is the one `bkvp backup` and the
  // wizard offer next time; one that failed is not.
  if (outcome.carriedOut())
    if (Status remembered = WriteStorePath(ProgramKey(), destination); !remembered.ok()) {
      RunLog log;
      if (log.OpenForAppend())
        log.Write("The destination was not remembered: " + remembered.message() + ".\n");
    }
  return outcome;
}

}  // namespace bkvp::engine
