// Worker threads that deflate for the writer. They only turn bytes in
// memory into bytes in memory: the archive file, the source files, the
// progress object and the log stay with the thread that calls the writer,
// which hands jobs out and takes their results back in its own order.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/byte_buffer.h"
#include "archive/compress_stream.h"
#include "archive/whole_buffer_codec.h"

namespace bkvp::archive {

// What one worker keeps from job to job: setting these up again for every
// job would cost more than many a job's work.
struct WorkerStates {
  WholeDeflater deflater;
  Compress::ZlibState whole{Compress::ZlibState::Direction::kDeflate};
  Compress::ZlibState block{Compress::ZlibState::Direction::kRawDeflate};
  WholeInflater inflater;
  ByteBuffer contentRoom;  // what the inflater fills; only its written pages are touched
};

// A piece of work and its result. Shared between the pool and the caller,
// so a caller that gives up on a job (its file failed, the run ends) may
// simply drop it.
class CompressionJob {
 public:
  virtual ~CompressionJob() = default;
  // Runs on a worker, or on the caller's thread when there is no pool.
  virtual void Run(WorkerStates& states) = 0;

 private:
  friend class CompressionPool;
  bool done_ = false;  // guarded by the pool's mutex
};

class CompressionPool {
 public:
  explicit CompressionPool(int workers);
  CompressionPool(const CompressionPool&) = delete;
  CompressionPool& operator=(const CompressionPool&) = delete;
  // Jobs not yet started are dropped; running ones finish first.
  ~CompressionPool();

  int workers() const { return static_cast<int>(threads_.size()); }
  void Submit(std::shared_ptr<CompressionJob> job);
  // Ahead of every job waiting: for short work the caller will wait for soon.
  void SubmitFirst(std::shared_ptr<CompressionJob> job);
  bool IsDone(const CompressionJob& job);
  void Wait(const CompressionJob& job);
  // Takes a job nobody waits for out of the queue, if no worker has it yet;
  // false when one has it or had it.
  bool Withdraw(const CompressionJob& job);

 private:
  void Work();
  void Stop();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<CompressionJob>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// A pool of `threads` workers; none (the caller does the work) for one
// thread, or when the system has no threads to give.
std::unique_ptr<CompressionPool> StartCompressionPool(int threads);

}  // namespace bkvp::archive
