#include "app/engine/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::engine {
namespace {

std::atomic<bool> gRunInProgress{false};

// The lock file holds the number of the process that runs, for the message.
std::string HolderOf(int fd) {
  char buffer[32] = {};
  const ssize_t n = pread(fd, buffer, sizeof buffer - 1, 0);
  std::string pid = n > 0 ? std::string(buffer, size_t(n)) : "";
  while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
  return pid;
}

void WriteHolder(int fd, const std::string& text) {
  // Informative only: a failure here does not matter.
  if (ftruncate(fd, 0) == 0 && !text.empty()) {
    [[maybe_unused]] const ssize_t n = pwrite(fd, text.data(), text.size(), 0);
  }
}

}  // namespace

std::string RunLockPath() { return platform::ProgramFolder() + "BackupVopal.lock"; }

std::optional<RunLock> RunLock::TryAcquire(std::string* why) {
  auto refuse = [&](const std::string& text) -> std::optional<RunLock> {
    if (why) *why = text;
    return std::nullopt;
  };
  if (gRunInProgress.exchange(true)) return refuse("Another backup or restore is in progress.");
  platform::CreateFolders(platform::ProgramFolder());
  const int fd = open(RunLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    gRunInProgress = false;
    return refuse("Cannot open the run lock " + RunLockPath() + ": " + std::strerror(errno));
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const std::string holder = HolderOf(fd);
    close(fd);
    gRunInProgress = false;
    return refuse("Another backup or restore is in progress" +
                  (holder.empty() ? std::string() : " (process " + holder + ")") + ".");
  }
  WriteHolder(fd, std::to_string(getpid()) + "\n");
  return RunLock(fd);
}

RunLock::RunLock(RunLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

RunLock::~RunLock() {
  if (fd_ < 0) return;
  WriteHolder(fd_, "");
  close(fd_);
  gRunInProgress = false;
}

bool RunInProgress() {
  if (gRunInProgress) return true;
  const int fd = open(RunLockPath().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
  close(fd);
  return held;
}

}  // namespace bkvp::engine
