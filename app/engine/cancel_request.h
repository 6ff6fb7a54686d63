// A request to end a running backup or restore early, set from outside the
// run: the program's Cancel button, or a signal handler in the command line.
//
// The run notices it between objects (after an object's progress step or log
// line): a cancelled backup discards its archive, a cancelled restore stops
// after the current file. Setting it is async-signal-safe.
#pragma once

#include <atomic>

namespace bkvp::engine {

class CancelRequest {
 public:
  enum class Reason : int {
    kNone,
    kUser,         // a person asked: the Cancel button, Ctrl-C at a terminal
    kInterrupted,  // the process is being ended (SIGTERM, SIGHUP)
  };

  void Request(Reason reason) { reason_.store(static_cast<int>(reason)); }
  void Reset() { reason_.store(static_cast<int>(Reason::kNone)); }
  bool requested() const { return reason() != Reason::kNone; }
  Reason reason() const { return static_cast<Reason>(reason_.load()); }

 private:
  std::atomic<int> reason_{static_cast<int>(Reason::kNone)};
  static_assert(std::atomic<int>::is_always_lock_free);
};

}  // namespace bkvp::engine
