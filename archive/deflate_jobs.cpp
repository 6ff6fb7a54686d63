#include "archive/deflate_jobs.h"

#include "archive/block_deflate.h"

namespace bkvp::archive {

void WholeFileJob::Run(WorkerStates& states) {
  if (!deflate_) return;
  try {
    output_ = DeflateWhole(states.whole, input_);
    compressed_ = mustCompress_ || ShrinksEnough(output_.size(), input_.size());
  } catch (const Compress::CCompressException&) {
    // Bytes that need not be a stream are kept as they are instead.
    failed_ = mustCompress_;
  }
  if (!compressed_) output_ = std::vector<uint8_t>();
}

std::shared_ptr<std::vector<uint8_t>> BlockBuffers::Get(size_t size) {
  std::unique_ptr<std::vector<uint8_t>> buffer;
  {
    std::lock_guard lock(shelf_->mutex);
    if (!shelf_->buffers.empty()) {
      buffer = std::move(shelf_->buffers.back());
      shelf_->buffers.pop_back();
    }
  }
  if (!buffer) buffer = std::make_unique<std::vector<uint8_t>>();
  buffer->resize(size);
  return std::shared_ptr<std::vector<uint8_t>>(
      buffer.release(), [shelf = shelf_](std::vector<uint8_t>* returned) {
        std::unique_ptr<std::vector<uint8_t>> owned(returned);
        std::lock_guard lock(shelf->mutex);
        if (shelf->buffers.size() < kKept) shelf->buffers.push_back(std::move(owned));
      });
}

void BlockJob::Run(WorkerStates& states) {
  try {
    output_ = DeflateBlock(
        states.block, previous_ ? std::span<const uint8_t>(*previous_) : std::span<const uint8_t>(),
        *input_, last_);
    adler_ = AdlerOf(*input_);
  } catch (const Compress::CCompressException&) {
    failed_ = true;
  }
  previous_.reset();  // the block before may go as soon as this one is done
}

}  // namespace bkvp::archive
