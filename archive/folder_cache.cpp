#include "archive/folder_cache.h"

#include <sys/stat.h>

#include <cerrno>

namespace bkvp::archive {

namespace {

bool Identify(int result, const struct stat& st, uint64_t* device, uint64_t* inode) {
  if (result != 0) return false;
  *device = static_cast<uint64_t>(st.st_dev);
  *inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

}  // namespace

int FolderCache::Open(const std::string& path) {
  if (fd_ >= 0 && path == path_) {
    struct stat now {};
    uint64_t device = 0, inode = 0;
    if (Identify(::stat(path.c_str(), &now), now, &device, &inode) && device == device_ &&
        inode == inode_)
      return fd_;
  }
  Forget();
  const int fd = layer_.OpenFolder(path);
  if (fd < 0) return -1;
  struct stat opened {};
  if (!Identify(::fstat(fd, &opened), opened, &device_, &inode_)) {
    const int error = errno;
    layer_.Close(fd);
    errno = error;
    return -1;
  }
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
