// Asks the disk to make a file's written bytes durable while more are being
// written, on a thread of its own, so that the sync which ends a backup has
// only the last bytes left to wait for. On a virtual disk that sync costs
// as much as writing the whole archive, all of it at the very end.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace bkvp::archive {

class BackgroundFlush {
 public:
  // `fd` stays open for this object's life.
  explicit BackgroundFlush(int fd);
  BackgroundFlush(const BackgroundFlush&) = delete;
  BackgroundFlush& operator=(const BackgroundFlush&) = delete;
  // Waits for a flush in progress; one only asked for is dropped.
  ~BackgroundFlush();

  // Never waits. Asks made while a flush runs make one more flush after it.
  void Request();

 private:
  void Run();

  const int fd_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool wanted_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace bkvp::archive
