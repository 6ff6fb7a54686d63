// One run at a time: a flag for this process and a lock file in the program
// folder for all processes (the tray program, bkvp, cron's bkvp tick).
#pragma once

#include <optional>
#include <string>

namespace bkvp::engine {

class RunLock {
 public:
  // Empty when a run is in progress here or in another process; `why` then
  // says so in a sentence.
  static std::optional<RunLock> TryAcquire(std::string* why = nullptr);

  RunLock(RunLock&& other) noexcept;
  RunLock& operator=(RunLock&&) = delete;
  RunLock(const RunLock&) = delete;
  ~RunLock();

 private:
  explicit RunLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// Whether a run holds the lock, here or elsewhere (without taking it).
bool RunInProgress();
std::string RunLockPath();

}  // namespace bkvp::engine
