#include "clients/outlook/readable_wait.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/errors.h"

namespace bkvp::outlook {

namespace {

// Whether another process holds a lock that a reader must respect: a write
// lock of the fcntl family, or an exclusive flock.
bool LockedByAnother(int fd) {
  struct flock probe = {};
  probe.l_type = F_RDLCK;
  probe.l_whence = SEEK_SET;
  if (fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) return true;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  flock(fd, LOCK_UN);
  return false;
}

// One read attempt: the system error code, ERROR_LOCK_VIOLATION for a lock.
uint32_t TryRead(int fd) {
  if (LockedByAnother(fd)) return platform::ERROR_LOCK_VIOLATION;
  char buffer[1024];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
  }
  return n < 0 ? platform::ErrorFromErrno(errno) : platform::ERROR_SUCCESS;
}

}  // namespace

bool WaitUntilReadable(const std::string& path, const ReadableWait& wait) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // never hang on a pipe
  if (fd < 0) return false;
  bool readable = false;
  for (;;) {
    const uint32_t error = TryRead(fd);
    if (error == platform::ERROR_SUCCESS) {
      readable = true;
      break;
    }
    if (error != platform::ERROR_LOCK_VIOLATION) break;
    lseek(fd, 0, SEEK_SET);
    std::this_thread::sleep_for(wait.firstPause);
    if (std::chrono::steady_clock::now() - start >= wait.limit) break;
    std::this_thread::sleep_for(wait.secondPause);
  }
  close(fd);
  return readable;
}

}  // namespace bkvp::outlook
