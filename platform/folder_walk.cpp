#include "platform/folder_walk.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"

namespace bkvp::platform {

namespace {

// As many links as the kernel itself follows in one path.
constexpr int kMaxLinks = 40;

std::deque<std::string> ComponentsOf(const std::string& path) {
  std::deque<std::string> components;
  for (const std::filesystem::path& part : std::filesystem::path(path))
    if (!part.empty() && part != "." && part != "/") components.push_back(part.string());
  return components;
}

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

// Owns the descriptor of the folder the walk stands in.
class Folder {
 public:
  explicit Folder(int fd) : fd_(fd) {}
  ~Folder() {
    if (fd_ >= 0) close(fd_);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  int fd() const { return fd_; }
  void Replace(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool IsRefused(const std::vector<LinkIdentity>* refusedLinks, const struct stat& st) {
  if (!refusedLinks) return false;
  for (const LinkIdentity& link : *refusedLinks)
    if (link.device == static_cast<uint64_t>(st.st_dev) &&
        link.inode == static_cast<uint64_t>(st.st_ino))
      return true;
  return false;
}

int OpenRoot(bool absolute) { return open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC); }

}  // namespace

int OpenFolderForWriting(const std::string& path, bool createMissing,
                         const std::vector<LinkIdentity>* refusedLinks) {
  auto fail = [](int error) {
    SetLastErrorFromErrno(error);
    errno = error;
    return -1;
  };
  if (path.empty()) return fail(ENOENT);
  Folder current(OpenRoot(path.front() == '/'));
  if (current.fd() < 0) return fail(errno);
  std::deque<std::string> pending = ComponentsOf(path);
  int links = 0;
  while (!pending.empty()) {
    const std::string name = std::move(pending.front());
    pending.pop_front();
    struct stat st {};
    const bool found = fstatat(current.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (found && S_ISLNK(st.st_mode)) {
      if (!TrustedOwner(st.st_uid) || IsRefused(refusedLinks, st)) return fail(EACCES);
      if (++links > kMaxLinks) return fail(ELOOP);
      const std::string target = ReadLinkTextAt(current.fd(), name).value_or("");
      if (target.empty()) return fail(errno ? errno : ENOENT);
      std::deque<std::string> more = ComponentsOf(target);
      pending.insert(pending.begin(), more.begin(), more.end());
      if (target.front() == '/') {
        current.Replace(OpenRoot(true));
        if (current.fd() < 0) return fail(errno);
      }
      continue;
    }
    if (!found && errno == ENOENT && createMissing &&
        mkdirat(current.fd(), name.c_str(), 0777) != 0 && errno != EEXIST)
      return fail(errno);
    // Never follows: whatever stands here now must be a folder itself.
    const int next =
        openat(current.fd(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) return fail(errno);
    current.Replace(next);
  }
  return current.Release();
}

int RenameNoReplaceAt(int fromDir, const std::string& from, int toDir, const std::string& to) {
  if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
  // A file system without that flag: a new hard link never replaces either.
  if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) == 0) {
    ::unlinkat(fromDir, from.c_str(), 0);
    return 0;
  }
  if (errno != EPERM && errno != ENOTSUP) return -1;
  struct stat st {};
  if (::fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::renameat(fromDir, from.c_str(), toDir, to.c_str());
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace bkvp::platform
