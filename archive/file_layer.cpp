#include "archive/file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"

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

int FileLayer::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str());
}

int FileLayer::Remove(const std::string& path) { return ::unlink(path.c_str()); }

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
