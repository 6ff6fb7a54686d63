#include "archive/file_layer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/errors.h"
#include "platform/folder_walk.h"
#include "platform/text.h"

namespace bkvp::archive {

int FileLayer::Open(const std::string& path, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int FileLayer::Close(int fd) { return ::close(fd); }

ssize_t FileLayer::Read(int fd, void* buffer, size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t FileLayer::ReadAt(int fd, void* buffer, size_t size, uint64_t offset) {
  ssize_t n;
  do {
    n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t FileLayer::WriteAt(int fd, const void* data, size_t size, uint64_t offset) {
  ssize_t n;
  do {
    n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t FileLayer::CopyRange(int in, uint64_t inOffset, int out, uint64_t outOffset, size_t size) {
  loff_t inPos = static_cast<loff_t>(inOffset);
  loff_t outPos = static_cast<loff_t>(outOffset);
  ssize_t n;
  do {
    n = ::copy_file_range(in, &inPos, out, &outPos, size, 0);
  } while (n < 0 && errno == EINTR);
  return n;
}

int FileLayer::Truncate(int fd, uint64_t size) {
  int r;
  do {
    r = ::ftruncate(fd, static_cast<off_t>(size));
  } while (r < 0 && errno == EINTR);
  return r;
}

int FileLayer::Sync(int fd) { return ::fsync(fd); }

std::optional<uint64_t> FileLayer::Size(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

bool FileLayer::IsRegularFile(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

int FileLayer::OpenAt(int dirFd, const std::string& name, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::openat(dirFd, name.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int FileLayer::OpenFolder(const std::string& path,
                          const std::vector<platform::LinkIdentity>* refusedLinks) {
  return platform::OpenFolderForWriting(path, true, refusedLinks);
}

int FileLayer::SymlinkAt(const std::string& target, int dirFd, const std::string& name) {
  return ::symlinkat(target.c_str(), dirFd, name.c_str());
}

int FileLayer::SetTimesAt(int dirFd, const std::string& name, const struct timespec times[2]) {
  return ::utimensat(dirFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

int FileLayer::RenameAt(int fromDir, const std::string& from, int toDir, const std::string& to,
                        bool replace) {
  if (replace) return ::renameat(fromDir, from.c_str(), toDir, to.c_str());
  return platform::RenameNoReplaceAt(fromDir, from, toDir, to);
}

int FileLayer::Remove(const std::string& path) { return ::unlink(path.c_str()); }

int FileLayer::RemoveAt(int dirFd, const std::string& name) {
  return ::unlinkat(dirFd, name.c_str(), 0);
}

int FileLayer::SetModeAndTimes(int fd, std::optional<unsigned> mode,
                               const struct timespec times[2]) {
  if (mode && ::fchmod(fd, static_cast<mode_t>(*mode)) != 0) return -1;
  return ::futimens(fd, times);
}

int FileLayer::Lock(int fd, bool exclusive, bool wait) {
  int r;
  do {
    r = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB));
  } while (r < 0 && errno == EINTR);
  return r;
}

int FileLayer::SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int r = ::fsync(fd);
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return r;
}

FileLayer& DefaultFileLayer() {
  static FileLayer layer;
  return layer;
}

namespace {

constexpr size_t kUniqueLength = 8;
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kMaxFileNameBytes = 255;

}  // namespace

std::string TemporaryNameFor(const std::string& fileName) {
  static std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string unique;
  for (size_t i = 0; i < kUniqueLength; ++i) unique += kDigits[random() % 36];
  const size_t room = kMaxFileNameBytes - 2 - kUniqueLength - kTemporarySuffix.size();
  return "." + std::string(platform::CutUtf8(fileName, room)) + "." + unique +
         std::string(kTemporarySuffix);
}

bool IsTemporaryNameFor(const std::string& name, const std::string& extension) {
  const size_t fixed = 2 + kUniqueLength + kTemporarySuffix.size();
  if (name.size() <= fixed || name.front() != '.' || !name.ends_with(kTemporarySuffix))
    return false;
  const std::string_view middle(name.data() + 1, name.size() - fixed);  // the file name
  const std::string_view unique(name.data() + name.size() - kTemporarySuffix.size() - kUniqueLength,
                                kUniqueLength);
  if (name[name.size() - kTemporarySuffix.size() - kUniqueLength - 1] != '.') return false;
  for (char c : unique)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  return middle.size() > extension.size() &&
         platform::EqualsIgnoreCase(middle.substr(middle.size() - extension.size()), extension);
}

FileHandle& FileHandle::operator=(FileHandle&& o) noexcept {
  if (this != &o) {
    Close();
    layer_ = o.layer_;
    fd_ = o.fd_;
    o.fd_ = -1;
  }
  return *this;
}

void FileHandle::Close() {
  if (fd_ >= 0 && layer_) layer_->Close(fd_);
  fd_ = -1;
}

}  // namespace bkvp::archive
