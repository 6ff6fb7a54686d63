// File attributes and times, existence checks and path helpers.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/errors.h"
#include "platform/file_status.h"

namespace bkvp::platform {

namespace {

constexpr mode_t kAllWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// The path without trailing separators; the root stays "/".
std::string_view WithoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

std::optional<FileInfo> InfoOf(const std::optional<FindData>& status) {
  if (!status) return std::nullopt;
  FileInfo info;
  info.attributes = status->attributes;
  info.mode = status->mode;
  info.creationTime = status->creationTime;
  info.lastAccessTime = status->lastAccessTime;
  info.lastWriteTime = status->lastWriteTime;
  info.size = status->size;
  info.isRegular = status->isRegular;
  info.isSymlink = status->isSymlink;
  info.device = status->device;
  info.inode = status->inode;
  return info;
}

}  // namespace

std::optional<FileInfo> GetFileInfo(const std::string& path) {
  return InfoOf(StatusAt(AT_FDCWD, path, FileNameOf(path), true));
}

std::optional<FileInfo> GetOpenFileInfo(int fd, std::string_view name) {
  return InfoOf(StatusAt(fd, "", name, true));
}

std::optional<FileInfo> GetLinkInfo(const std::string& path) {
  return InfoOf(StatusAt(AT_FDCWD, path, FileNameOf(path), false));
}

std::optional<std::string> ReadLinkTextAt(int dirFd, const std::string& name) {
  std::string text(256, '\0');
  for (;;) {
    const ssize_t n = readlinkat(dirFd, name.c_str(), text.data(), text.size());
    if (n < 0) {
      SetLastErrorFromErrno(errno);
      return std::nullopt;
    }
    if (static_cast<size_t>(n) < text.size()) {
      text.resize(static_cast<size_t>(n));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

std::optional<std::string> ReadLinkText(const std::string& path) {
  return ReadLinkTextAt(AT_FDCWD, path);
}

uint32_t GetFileAttributes(const std::string& path) {
  const auto info = GetFileInfo(path);
  return info ? info->attributes : INVALID_FILE_ATTRIBUTES;
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  // Read-only takes every write permission away, so that group or others
  // cannot still write a "read-only" file; clearing it gives the owner back
  // write permission only.
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    mode &= ~kAllWrite;
  else
    mode |= S_IWUSR;
  if (mode == (st.st_mode & 07777)) return true;
  if (chmod(path.c_str(), mode) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

uint32_t NewFileMode() { return 0666 & ~FileCreationMask(); }

uint32_t FileCreationMask() {
  // The kernel reports the umask without changing it; setting it to read it
  // back would let another thread create a file without it meanwhile.
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status))
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return mask & 0777;
  }
  const mode_t mask = umask(0);
  umask(mask);
  return mask & 0777;
}

bool SetFileTimes(const std::string& path, const FILETIME* /*creation*/, const FILETIME* lastAccess,
                  const FILETIME* lastWrite) {
  struct timespec times[2] = {};
  times[0] = lastAccess ? TimespecFromFileTime(*lastAccess) : timespec{0, UTIME_OMIT};
  times[1] = lastWrite ? TimespecFromFileTime(*lastWrite) : timespec{0, UTIME_OMIT};
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  // With both times omitted the call may succeed without looking at the path.
  if (!lastAccess && !lastWrite && !FileExists(path)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentFolder(const std::string& path) {
  const std::string_view trimmed = WithoutTrailingSlashes(path);
  const size_t slash = trimmed.rfind('/');
  if (trimmed == "/" || slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  const std::string_view parent = WithoutTrailingSlashes(trimmed.substr(0, slash));
  return std::string(parent.empty() ? "/" : parent);
}

std::string FileNameOf(const std::string& path) {
  const std::string_view trimmed = WithoutTrailingSlashes(path);
  if (trimmed == "/") return {};
  const size_t slash = trimmed.rfind('/');
  return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  if (a.back() == '/') return std::string(a) + std::string(b);
  return std::string(a) + '/' + std::string(b);
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  int firstError = 0;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST && firstError == 0) firstError = errno;
    if (slash == std::string::npos) break;
  }
  if (DirectoryExists(path)) return true;
  SetLastErrorFromErrno(firstError != 0 ? firstError : ENOTDIR);
  return false;
}

}  // namespace bkvp::platform
