#include "archive/folder_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bkvp::archive {

int FolderCache::Open(const std::string& path) {
  if (fd_ >= 0 && path == path_) {
    // A look at the open folder, not a walk along its path: restoring many
    // small files, a second path walk per file costs as much as the write.
    struct stat now {};
    if (::fstat(fd_, &now) == 0 && now.st_nlink > 0) return fd_;
  }
  Forget();
  const int fd = layer_.OpenFolder(path, refusedLinks_);
  if (fd < 0) return -1;
  fd_ = fd;
  path_ = path;
  RemoveLeftovers(fd, path);
  return fd_;
}

void FolderCache::RemoveLeftovers(int folder, const std::string& path) {
  const int listing = layer_.OpenAt(folder, ".", O_RDONLY | O_DIRECTORY, 0);
  DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
  if (!dir) {
    if (listing >= 0) layer_.Close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTemporaryNameFor(name, "")) continue;
    // A restore's temporary file is this user's, owner-only until it is
    // complete, and locked while a living restore writes it.
    FileHandle file(layer_, layer_.OpenAt(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0));
    struct stat st {};
    if (!file.valid() || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0600 ||
        layer_.Lock(file.fd(), true, false) != 0)
      continue;
    if (layer_.RemoveAt(folder, name) == 0 && removed_) removed_(path + "/" + name);
  }
  ::closedir(dir);
}

void FolderCache::Forget() {
  if (fd_ >= 0) layer_.Close(fd_);
  fd_ = -1;
  path_.clear();
}

}  // namespace bkvp::archive
