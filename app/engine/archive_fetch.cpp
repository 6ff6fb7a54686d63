#include "app/engine/archive_fetch.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/engine/remote_folder.h"
#include "app/engine/restore_now.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::engine {
namespace {

namespace fs = std::filesystem;

// A folder that a fetch just made is not taken for a leftover while its
// maker has yet to lock it.
constexpr auto kLeftoverAge = std::chrono::minutes(1);

// A folder of its own below the incoming folder, locked while it lives so
// that other processes' clearing leaves it alone; removed at the end.
class IncomingCopy {
 public:
  static std::shared_ptr<IncomingCopy> Create(std::string* problem) {
    const std::string parent = IncomingFolder();
    if (!platform::CreateFolders(parent)) {
      *problem = "cannot create the cache folder " + parent;
      return nullptr;
    }
    std::string pattern = parent + "XXXXXX";
    if (!mkdtemp(pattern.data())) {
      *problem = "cannot create a folder in " + parent;
      return nullptr;
    }
    auto copy = std::shared_ptr<IncomingCopy>(new IncomingCopy(pattern));
    if (copy->fd_ < 0 || flock(copy->fd_, LOCK_EX | LOCK_NB) != 0) {
      *problem = "cannot lock " + pattern;
      return nullptr;
    }
    return copy;
  }
  ~IncomingCopy() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    if (fd_ >= 0) close(fd_);
  }
  const std::string& folder() const { return folder_; }

 private:
  explicit IncomingCopy(std::string folder)
      : folder_(std::move(folder)),
        fd_(open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  std::string folder_;
  int fd_;
};

// Copies whose process is gone: nobody holds their lock.
void RemoveAbandonedCopies() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(IncomingFolder(), ec)) {
    if (!entry.is_directory(ec)) continue;
    const auto age = fs::file_time_type::clock::now() - entry.last_write_time(ec);
    if (ec || age < kLeftoverAge) continue;
    const int fd = open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) fs::remove_all(entry.path(), ec);
    close(fd);
  }
}

}  // namespace

std::string IncomingFolder() { return platform::CacheFolder() + "incoming/"; }

FetchedArchive FetchArchive(const std::string& place, ProgressDisplay* display,
                            const CancelRequest* cancel) {
  FetchedArchive fetched{place, place};
  if (!IsRemotePlace(place)) return fetched;
  const auto remote = ParseRemotePlace(place);
  if (!remote || remote->Name().empty()) {
    fetched.status = {Status::Code::kInvalid,
                      place + " names no archive: write rclone:REMOTE:PATH/NAME"};
    return fetched;
  }
  const RemoteFolder folder(remote->Parent(), cancel);
  const std::string name = remote->Name();
  std::string problem;
  const auto file = folder.Look(name, &problem);
  if (!file || file->isFolder) {
    fetched.status =
        !problem.empty()
            ? Status(Status::Code::kCannotRead, "cannot reach " + place + ": " + problem)
        : file ? Status(Status::Code::kCannotRead, place + " is a folder, not a backup archive")
               : Status(Status::Code::kNotFound, place + " does not exist");
    return fetched;
  }
  RemoveAbandonedCopies();
  std::string cacheProblem;
  auto copy = IncomingCopy::Create(&cacheProblem);
  if (!copy) {
    fetched.status = {Status::Code::kCannotWrite, cacheProblem};
    return fetched;
  }
  if (const auto free = platform::FreeSpace(copy->folder()); free && *free < file->size) {
    fetched.status = {Status::Code::kCannotWrite, "the cache folder " + IncomingFolder() +
                                                      " has too little room for " + place + " (" +
                                                      std::to_string(file->size) + " bytes)"};
    return fetched;
  }
  const std::string localPath = copy->folder() + "/" + name;
  const std::string what = "Downloading " + place;
  const RcloneResult got = folder.Fetch(name, localPath, [&](const TransferStats& stats) {
    if (display) display->Transfer(what, stats.bytes, file->size, stats.bytesPerSecond);
  });
  const auto info = platform::GetFileInfo(localPath);
  if (!got || !info || info->size != file->size) {
    fetched.status = {Status::Code::kCannotRead,
                      "cannot download " + place + ": " +
                          (got ? std::string("the copy has a different size") : got.problem)};
    return fetched;
  }
  fetched.localPath = localPath;
  fetched.copy = std::move(copy);
  return fetched;
}

Status OpenRemoteArchiveForRestore(const std::string& place, ArchiveEntry& archive) {
  const FetchedArchive fetched = FetchArchive(place);
  if (!fetched.status.ok()) return fetched.status;
  if (Status opened = OpenArchiveForRestore(fetched.localPath, archive); !opened.ok())
    return opened;
  archive.path = place;
  archive.localCopy = fetched.copy;
  return {};
}

}  // namespace bkvp::engine
