#include "archive/folder_cache.h"

#include <sys/stat.h>

namespace bkvp::archive {

int FolderCache::Open(const std::string& path) {
  if (fd_ >= 0 && path == path_) {
    // A look at the open folder, not a walk along its path: restoring many
    // small files, a second path walk per file costs as much as the write.
    struct stat now {};
    if (::fstat(fd_, &now) == 0 && now.st_nlink > 0) return fd_;
  }
  Forget();
  const int fd = layer_.OpenFolder(path);
  if (fd < 0) return -1;
  fd_ = fd;
  path_ = path;
  return fd_;
}

void FolderCache::Forget() {
  if (fd_ >= 0) layer_.Close(fd_);
  fd_ = -1;
  path_.clear();
}

}  // namespace bkvp::archive
