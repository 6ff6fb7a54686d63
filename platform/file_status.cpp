#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "platform/errors.h"

namespace bkvp::platform {

namespace {

FILETIME FileTimeOf(const struct statx_timestamp& t) {
  struct timespec ts {};
  ts.tv_sec = t.tv_sec;
  ts.tv_nsec = t.tv_nsec;
  return FileTimeFromTimespec(ts);
}

uint32_t AttributesOf(std::string_view name, uint16_t mode) {
  uint32_t attributes = 0;
  if (!(mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 0 && name[0] == '.' && name != "." && name != "..")
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISREG(mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  if (S_ISLNK(mode)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace

std::optional<FindData> StatusAt(int dirFd, const std::string& path, std::string_view name,
                                 bool followLinks) {
  struct statx sx {};
  const int flags = AT_STATX_SYNC_AS_STAT | (followLinks ? 0 : AT_SYMLINK_NOFOLLOW) |
                    (path.empty() ? AT_EMPTY_PATH : 0);
  if (statx(dirFd, path.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  FindData status;
  status.name = name;
  status.attributes = AttributesOf(name, sx.stx_mode);
  status.isSymlink = S_ISLNK(sx.stx_mode);
  status.isRegular = S_ISREG(sx.stx_mode);
  status.fileType = sx.stx_mode & S_IFMT;
  status.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  status.inode = sx.stx_ino;
  status.size = S_ISREG(sx.stx_mode) || S_ISLNK(sx.stx_mode) ? sx.stx_size : 0;
  status.mode = sx.stx_mode & 07777;
  status.lastAccessTime = FileTimeOf(sx.stx_atime);
  status.lastWriteTime = FileTimeOf(sx.stx_mtime);
  // Some file systems set the birth-time bit yet report zero for files that
  // predate birth-time support; that counts as not reported.
  const bool hasBirthTime =
      (sx.stx_mask & STATX_BTIME) && (sx.stx_btime.tv_sec != 0 || sx.stx_btime.tv_nsec != 0);
  status.creationTime = hasBirthTime ? FileTimeOf(sx.stx_btime) : status.lastWriteTime;
  return status;
}

}  // namespace bkvp::platform
