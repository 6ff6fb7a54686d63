// Waiting until a personal folder file can be read: the mail program may
// still hold a lock on it for a moment after it was closed.
#pragma once

#include <chrono>
#include <string>

namespace bkvp::outlook {

struct ReadableWait {
  std::chrono::milliseconds limit{30000};
  std::chrono::milliseconds firstPause{1000};
  std::chrono::milliseconds secondPause{2000};
};

// Opens the file for reading and reads its first 1024 bytes. A lock held by
// another process (a conflicting fcntl or flock lock: the lock violation,
// system error 33) is waited out: pause, and while the limit has not passed,
// pause again and retry. True when the read succeeded; false when the file
// cannot be opened, on another read error, or when the lock outlasted the
// limit.
bool WaitUntilReadable(const std::string& path, const ReadableWait& wait = {});

}  // namespace bkvp::outlook
