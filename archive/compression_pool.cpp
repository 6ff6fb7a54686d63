#include "archive/compression_pool.h"

#include <algorithm>
#include <system_error>

namespace bkvp::archive {

CompressionPool::CompressionPool(int workers) {
  threads_.reserve(static_cast<size_t>(workers));
  try {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  } catch (...) {
    Stop();  // the workers already started must end before this object does
    throw;
  }
}

CompressionPool::~CompressionPool() { Stop(); }

void CompressionPool::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

std::unique_ptr<CompressionPool> StartCompressionPool(int threads) {
  if (threads <= 1) return nullptr;
  try {
    return std::make_unique<CompressionPool>(threads);
  } catch (const std::system_error&) {
    return nullptr;
  }
}

void CompressionPool::Submit(std::shared_ptr<CompressionJob> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(job));
  }
  queued_.notify_one();
}

void CompressionPool::SubmitFirst(std::shared_ptr<CompressionJob> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_front(std::move(job));
  }
  queued_.notify_one();
}

bool CompressionPool::IsDone(const CompressionJob& job) {
  std::lock_guard<std::mutex> lock(mutex_);
  return job.done_;
}

void CompressionPool::Wait(const CompressionJob& job) {
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [&] { return job.done_; });
}

bool CompressionPool::Withdraw(const CompressionJob& job) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = std::find_if(queue_.begin(), queue_.end(),
                               [&](const auto& queued) { return queued.get() == &job; });
  if (it == queue_.end()) return false;
  queue_.erase(it);
  return true;
}

void CompressionPool::Work() {
  WorkerStates states;
  for (;;) {
    std::shared_ptr<CompressionJob> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    // A job records its own failure; nothing may leave the thread.
    job->Run(states);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->done_ = true;
    }
    finished_.notify_all();
  }
}

}  // namespace bkvp::archive
