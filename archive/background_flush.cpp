#include "archive/background_flush.h"

#include <unistd.h>

namespace bkvp::archive {

BackgroundFlush::BackgroundFlush(int fd) : fd_(fd), thread_([this] { Run(); }) {}

BackgroundFlush::~BackgroundFlush() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BackgroundFlush::Request() {
  {
    std::lock_guard lock(mutex_);
    wanted_ = true;
  }
  wake_.notify_one();
}

// The result is not used: the file's own sync decides. The kernel reports a
// write-back error to every descriptor that was open when it happened, so
// one met here still fails that sync (which runs on a descriptor of its own).
void BackgroundFlush::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return wanted_ || stopping_; });
    if (stopping_) return;
    wanted_ = false;
    lock.unlock();
    ::fdatasync(fd_);
    lock.lock();
  }
}

}  // namespace bkvp::archive
