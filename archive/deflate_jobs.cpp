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
