#include "app/engine/restore_now.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/engine/archive_fetch.h"
#include "app/engine/last_run.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_lock.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::engine {

Status OpenArchiveForRestore(const std::string& path, ArchiveEntry& archive) {
  if (IsRemotePlace(path)) return OpenRemoteArchiveForRestore(path, archive);
  if (platform::DirectoryExists(path))
    return {Status::Code::kCannotRead, path + " is a folder, not a backup archive"};
  if (access(path.c_str(), R_OK) != 0)
    return {errno == ENOENT ? Status::Code::kNotFound : Status::Code::kCannotRead,
            "cannot read the archive " + path + ": " + std::strerror(errno)};
  if (Status service = CheckArchiveService(); !service.ok()) return service;
  return OpenArchive(path, archive);
}

Status SelectClientsForRestore(const std::vector<ArchiveClient>& sections,
                               const std::vector<std::string>& named, ClientList& clients) {
  clients.ClearSelection();
  for (const std::string& wanted : named) {
    const ArchiveClient* found = FindByIdOrName(sections, wanted);
    if (!found) return {Status::Code::kNotFound, "the archive holds no client " + wanted};
    if (!found->restorable())
      return {Status::Code::kNotFound, found->name + " is not installed or not present here"};
    found->installed->selected = true;
  }
  if (named.empty())
    for (const ArchiveClient& section : sections)
      if (section.restorable()) section.installed->selected = true;
  if (clients.Selected().empty())
    return {Status::Code::kNotFound, "no client of the archive can be restored here"};
  return {};
}

std::vector<std::string> DescribeRestoreTargets(ClientList& clients,
                                                const std::string& intoFolderClsid,
                                                const std::string& folder) {
  std::vector<std::string> lines;
  for (const ClientEntry* client : clients.Selected())
    lines.push_back(client->name + (platform::EqualsIgnoreCase(client->clsid, intoFolderClsid)
                                        ? ": into " + folder
                                        : ": back to its own places on this machine"));
  return lines;
}

RunOutcome RestoreNow(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                      const CancelRequest* cancel, const ChosenFiles* chosen, bool toSavedPlaces) {
  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) return CouldNotStart(why);
  const std::time_t started = std::time(nullptr);
  RunOutcome outcome = RunRestore(archive, clients, display, cancel, chosen, toSavedPlaces);
  LastRun run = LastRunFrom(outcome, started, /*scheduled=*/false);
  run.archivePath = archive.path;
  outcome.recorded = RecordFinishedRun(RunKind::kRestore, run).ok();
  return outcome;
}

}  // namespace bkvp::engine
