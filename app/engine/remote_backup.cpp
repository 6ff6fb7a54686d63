#include "app/engine/remote_backup.h"

#include <chrono>
#include <cstdio>

#include "app/engine/archive_naming.h"
#include "app/engine/error_state.h"
#include "app/engine/last_run.h"
#include "app/engine/remote_archives.h"
#include "app/engine/remote_upload.h"
#include "app/engine/run_log.h"
#include "contract/com_types.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

std::string MiB(uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; }

// A run that cannot begin for a reason of the remote's or the cache's: the
// log and the last-run record say why and the error state goes on, as for
// any failed run, so that a scheduled run's failure is seen.
RunOutcome RefusedRun(const BackupJob& job, const std::string& problem, bool scheduled) {
  RunLog log;
  if (log.Create())
    log.Write(std::string(kLogFirstLine) +
              "The backup could not start: " + platform::EscapeControls(problem) + ".\n");
  SetErrorState(true);
  RunOutcome outcome = CouldNotStart(problem);
  outcome.errorStateSet = true;
  outcome.recorded =
      RecordFinishedRun(RunKind::kBackup, LastRunFrom(outcome, job.time, scheduled)).ok();
  return outcome;
}

// The newest archive at the destination tells how much room the next one
// will want.
uint64_t ExpectedArchiveBytes(const std::vector<RemoteFile>& listing) {
  std::string newest;
  uint64_t bytes = 0;
  for (const RemoteFile& file : listing) {
    if (file.isFolder || !platform::WildcardMatch(kArchivePattern, file.name)) continue;
    try {
      if (newest.empty() || DecodeArchiveName(newest) < DecodeArchiveName(file.name)) {
        newest = file.name;
        bytes = file.size;
      }
    } catch (const bad_number&) {
    }
  }
  return bytes;
}

std::string PrepareOutgoing(const std::vector<RemoteFile>& listing) {
  const std::string folder = OutgoingFolder();
  if (!platform::CreateFolders(folder)) return "cannot create the cache folder " + folder;
  const uint64_t wanted = ExpectedArchiveBytes(listing);
  const auto free = platform::FreeSpace(folder);
  if (free && *free < wanted)
    return "the cache folder " + folder + " has " + MiB(*free) +
           " free, and the last archive at the destination took " + MiB(wanted);
  return "";
}

void Deliver(RunOutcome& outcome, const BackupJob& job, const RemoteFolder& folder,
             const std::vector<RemoteFile>& listing, const std::vector<std::string>& leftovers,
             ProgressDisplay* display, uint32_t keep) {
  const auto started = std::chrono::steady_clock::now();
  struct AddTime {
    RunOutcome& outcome;
    std::chrono::steady_clock::time_point started;
    ~AddTime() {
      outcome.seconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
  } addTime{outcome, started};
  RunLog log;
  log.OpenForAppend();
  for (const std::string& name : leftovers)
    log.Write("Removed " + platform::EscapeControls(name) +
              ", left at the destination by an upload that was cut short.\n");
  if (outcome.archivePath.empty()) return;
  const std::string local = outcome.archivePath;
  const std::string where = folder.place().Text();
  const SentArchive sent =
      SendArchive(folder, local, ArchiveName(platform::LocalTime(job.time)), listing, display);
  outcome.archivePath.clear();
  if (sent.ok) {
    std::remove(local.c_str());
    outcome.archivePath = folder.place().Child(sent.name).Text();
    outcome.remote = folder.place().remote;
    outcome.uploadedBytes = sent.bytes;
    log.Write("Uploaded as " + platform::EscapeControls(outcome.archivePath) + " (" +
              std::to_string(sent.bytes) + " bytes), checked by " + sent.checkedBy + ".\n");
    if (keep > 0)
      for (const std::string& removed : PruneRemoteArchives(folder, keep, sent.name).deleted)
        log.Write("Removed the older archive " + platform::EscapeControls(removed) + ".\n");
    return;
  }
  bool failure = true;
  if (sent.cancelled) {
    std::remove(local.c_str());
    const EarlyEnd end =
        EndedEarly(E_ABORT, folder.cancel(), "upload", "the archive was discarded");
    outcome.result = end.result;
    outcome.problem = end.problem;
    failure = end.isFailure;
    log.Write(end.logLine);
  } else {
    outcome.result = RunResult::kStopped;
    outcome.problem = "the archive could not be sent to " + where + ": " + sent.problem +
                      "; it is kept at " + local;
    log.Write("The archive could not be sent to " + platform::EscapeControls(where) + ": " +
              platform::EscapeControls(sent.problem) + ". It is kept at " +
              platform::EscapeControls(local) + ".\n");
  }
  if (failure && !outcome.errorStateSet) SetErrorState(true);
  outcome.errorStateSet = outcome.errorStateSet || failure;
}

}  // namespace

std::string OutgoingFolder() { return platform::CacheFolder() + "outgoing/"; }

RunOutcome RemoteBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                        ProgressDisplay* display, const CancelRequest* cancel, bool scheduled,
                        uint32_t keep, const BackuperFactory& createBackuper) {
  const auto place = ParseRemotePlace(destination);
  if (!place)
    return RefusedRun(job, destination + " names no remote: write rclone:REMOTE:PATH", scheduled);
  const RemoteFolder folder(*place, cancel);
  // A first backup there makes the folder.
  std::string problem;
  bool missing = false;
  std::optional<std::vector<RemoteFile>> listing = folder.List(&problem, &missing);
  if (!listing && missing && (problem = folder.Make()).empty()) listing.emplace();
  if (cancel && cancel->requested()) return CouldNotStart("the run was cancelled before it began");
  if (!listing) return RefusedRun(job, "cannot reach " + destination + ": " + problem, scheduled);
  const std::vector<std::string> leftovers = RemoveUploadLeftovers(folder, *listing);
  if (problem = PrepareOutgoing(*listing); !problem.empty())
    return RefusedRun(job, problem, scheduled);
  return RecordedBackup(job, clients, OutgoingFolder(), display, cancel, scheduled, createBackuper,
                        [&](RunOutcome& outcome) {
                          Deliver(outcome, job, folder, *listing, leftovers, display, keep);
                        });
}

}  // namespace bkvp::engine
