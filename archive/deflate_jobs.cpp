#include "archive/deflate_jobs.h"

#include "archive/block_deflate.h"

namespace bkvp::archive {

void WholeFileJob::Run(WorkerStates& states) {
  if (!deflate_) return;
  try {
    // A stream above the limit would not be kept: there is no room for it.
    const size_t limit = mustCompress_ ? WholeDeflater::Unlimited() : MaxShrunkSize(size_);
    std::optional<ByteBuffer> stream;
    if (deflater_ == Deflater::kZlib) {
      stream = DeflateWhole(states.whole, input_.view());
      if (stream->size() > limit) stream.reset();
    } else {
      stream = states.deflater.Deflate(input_.view(), limit);
    }
    if (stream) {
      output_ = std::move(*stream);
      compressed_ = true;
      input_ = ByteBuffer();
    }
  } catch (const Compress::CCompressException&) {
  }
  // Bytes that need not be a stream are kept as they are instead.
  failed_ = mustCompress_ && !compressed_;
}

SampleSizes MeasureSample(WorkerStates& states, std::span<const uint8_t> sample, bool compareZlib) {
  SampleSizes sizes;
  try {
    sizes.wholeBuffer = states.deflater.DeflatedSize(sample);
    sizes.zlib = compareZlib && ShrinksEnough(sizes.wholeBuffer, sample.size())
                     ? DeflateWhole(states.whole, sample).size()
                     : sizes.wholeBuffer;
  } catch (const Compress::CCompressException&) {
    sizes = SampleSizes();
  }
  return sizes;
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
