#include "app/engine/file_size_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bkvp::engine {

FileSizeLookup::~FileSizeLookup() {
  if (folderFd_ >= 0) ::close(folderFd_);
}

uint64_t FileSizeLookup::SizeOf(const std::string& path) {
  struct stat info {};
  const size_t slash = path.rfind('/');
  int looked = -1;
  if (slash == std::string::npos || slash == 0 || slash + 1 == path.size()) {
    looked = ::lstat(path.c_str(), &info);
  } else {
    if (path.compare(0, slash, folder_) != 0) {
      if (folderFd_ >= 0) ::close(folderFd_);
      folder_ = path.substr(0, slash);
      folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    looked = folderFd_ >= 0
                 ? ::fstatat(folderFd_, path.c_str() + slash + 1, &info, AT_SYMLINK_NOFOLLOW)
                 : ::lstat(path.c_str(), &info);
  }
  return looked == 0 && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
}

}  // namespace bkvp::engine
