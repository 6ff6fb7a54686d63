#include "app/engine/remote_archives.h"

#include <algorithm>

#include "app/engine/archive_naming.h"
#include "app/engine/run_backup.h"
#include "platform/files.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

struct NamedArchive {
  ArchiveMoment moment;
  std::string name;
};

// The files of the listing named like archives, oldest first; names that
// look like ours but do not decode go to `undecodable`.
std::vector<NamedArchive> ArchiveNames(const std::vector<RemoteFile>& listing,
                                       std::vector<std::string>* undecodable) {
  std::vector<NamedArchive> found;
  for (const RemoteFile& file : listing) {
    if (file.isFolder || !platform::WildcardMatch(kArchivePattern, file.name)) continue;
    try {
      found.push_back({DecodeArchiveName(file.name), file.name});
    } catch (const bad_number&) {
      if (undecodable) undecodable->push_back(file.name);
    }
  }
  std::sort(found.begin(), found.end(), [](const NamedArchive& a, const NamedArchive& b) {
    return a.moment != b.moment ? a.moment < b.moment : a.name < b.name;
  });
  return found;
}

}  // namespace

std::optional<archive::ArchiveHeader> ReadRemoteHeader(const RemoteFolder& folder,
                                                       const std::string& name,
                                                       std::string* problem) {
  const RcloneResult read = folder.ReadStart(name, archive::kHeaderSize);
  if (!read) {
    *problem = read.problem;
    return std::nullopt;
  }
  std::optional<archive::ArchiveHeader> header;
  if (read.output.size() == archive::kHeaderSize)
    header = archive::ParseHeader(reinterpret_cast<const uint8_t*>(read.output.data()),
                                  read.output.size());
  if (!header) *problem = folder.place().Child(name).Text() + " is not a backup archive";
  return header;
}

std::vector<ArchiveEntry> ListRemoteArchives(const RemoteFolder& folder, std::string* problem) {
  std::vector<ArchiveEntry> list;
  const auto listing = folder.List(problem);
  if (!listing) return list;
  for (const NamedArchive& found : ArchiveNames(*listing, nullptr)) {
    std::string why;
    const auto header = ReadRemoteHeader(folder, found.name, &why);
    if (!header) continue;
    ArchiveEntry entry;
    entry.path = folder.place().Child(found.name).Text();
    entry.time = platform::Clock::to_time_t(platform::TimePointFromDate(header->time));
    entry.clientCount = header->clientCount;
    entry.userName = header->userName;
    entry.machineName = header->machineName;
    entry.label = header->label;
    entry.versionMajor = header->versionMajor;
    entry.versionMinor = header->versionMinor;
    InsertNewestFirst(list, std::move(entry));
  }
  return list;
}

Result<std::vector<ArchiveEntry>> ListArchivesAt(const std::string& place) {
  if (!IsRemotePlace(place)) {
    if (!platform::DirectoryExists(place))
      return Status(Status::Code::kNotFound, place + " is not a folder");
    return ListArchives(WithTrailingSlash(place));
  }
  const auto remote = ParseRemotePlace(place);
  if (!remote)
    return Status(Status::Code::kInvalid, place + " names no remote: write rclone:REMOTE:PATH");
  std::string why;
  auto list = ListRemoteArchives(RemoteFolder(*remote), &why);
  if (!why.empty()) return Status(Status::Code::kCannotRead, "cannot list " + place + ": " + why);
  return list;
}

PruneResult PruneRemoteArchives(const RemoteFolder& folder, uint32_t keep,
                                const std::string& justWritten) {
  PruneResult result;
  std::string problem;
  const auto listing = folder.List(&problem);
  if (!listing) return result;
  const std::vector<NamedArchive> archives = ArchiveNames(*listing, &result.undecodable);
  if (archives.size() <= keep) return result;
  size_t excess = archives.size() - keep;
  for (const NamedArchive& a : archives) {
    if (excess == 0) break;
    if (a.name == justWritten) continue;
    // A file that only looks like an archive by its name stays.
    if (ReadRemoteHeader(folder, a.name, &problem) && folder.Remove(a.name))
      result.deleted.push_back(folder.place().Child(a.name).Text());
    --excess;
  }
  return result;
}

}  // namespace bkvp::engine
