#include "tests/support/file_events.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>

namespace bkvp::testing {
namespace {

// Milliseconds left until the deadline, for poll().
int Left(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

}  // namespace

bool WaitUntil(const std::string& folder, const std::function<bool()>& condition,
               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (fd < 0) return condition();
  // Watching before the first look: a change between the two is not lost.
  // The folder's parent is watched too, for a folder that does not exist
  // yet: its creation is an event, and the folder is watched from then on.
  constexpr uint32_t kChanges = IN_CREATE | IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_DELETE;
  const std::string parent = std::filesystem::path(folder).parent_path();
  inotify_add_watch(fd, parent.c_str(), IN_CREATE | IN_MOVED_TO);
  inotify_add_watch(fd, folder.c_str(), kChanges);
  bool held = condition();
  char events[4096];
  while (!held) {
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, Left(deadline)) <= 0) break;
    while (read(fd, events, sizeof events) > 0) {
    }
    inotify_add_watch(fd, folder.c_str(), kChanges);
    held = condition();
  }
  close(fd);
  return held;
}

bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return true;  // no such process any more
  pollfd wait{fd, POLLIN, 0};
  const bool ended = poll(&wait, 1, static_cast<int>(timeout.count())) > 0;
  close(fd);
  return ended;
}

}  // namespace bkvp::testing
