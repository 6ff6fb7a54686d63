// The two kinds of work the writer hands to its compression workers: a
// small file deflated whole, and one block of a large file.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "archive/compression_pool.h"

namespace bkvp::archive {

// A file read whole: one zlib stream of it, or the finding that it does not
// shrink enough to be worth storing compressed.
class WholeFileJob : public CompressionJob {
 public:
  // `mustCompress`: the bytes begin 78 DA and are stored compressed even
  // when they do not shrink (readers take such data parts for streams).
  // Without `deflate` the bytes are stored as they are and Run does nothing.
  WholeFileJob(std::vector<uint8_t> input, bool mustCompress, bool deflate)
      : input_(std::move(input)), mustCompress_(mustCompress), deflate_(deflate) {}
  void Run(WorkerStates& states) override;

  // The data part to store: the stream, or the bytes as they are.
  const std::vector<uint8_t>& dataPart() const { return compressed_ ? output_ : input_; }
  // zlib failed on bytes that must be compressed: nothing can be stored.
  bool failed() const { return failed_; }
  size_t size() const { return input_.size(); }

 private:
  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;
  bool mustCompress_;
  bool deflate_;
  bool compressed_ = false;
  bool failed_ = false;
};

// Recycles the buffers that the blocks of large files are read into. A
// fresh 128 KiB buffer for every block would be mapped and faulted in anew,
// which on some machines costs as much as reading the block.
class BlockBuffers {
 public:
  // A buffer of `size` bytes; it comes back here when its last holder,
  // whichever thread that is, lets it go.
  std::shared_ptr<std::vector<uint8_t>> Get(size_t size);

 private:
  // Enough for every block in flight; more are freed as they come back.
  static constexpr size_t kKept = 32;
  struct Shelf {
    // Room for all it keeps, so that a returning buffer never allocates.
    Shelf() { buffers.reserve(kKept); }
    std::mutex mutex;
    std::vector<std::unique_ptr<std::vector<uint8_t>>> buffers;
  };
  // Outlives this object while buffers are out.
  std::shared_ptr<Shelf> shelf_ = std::make_shared<Shelf>();
};

// One block of a large file, primed with the block before it.
class BlockJob : public CompressionJob {
 public:
  BlockJob(std::shared_ptr<const std::vector<uint8_t>> previous,
           std::shared_ptr<const std::vector<uint8_t>> input, bool last)
      : previous_(std::move(previous)), input_(std::move(input)), last_(last) {}
  void Run(WorkerStates& states) override;

  const std::shared_ptr<const std::vector<uint8_t>>& input() const { return input_; }
  const std::vector<uint8_t>& output() const { return output_; }
  uint32_t adler() const { return adler_; }
  bool failed() const { return failed_; }

 private:
  std::shared_ptr<const std::vector<uint8_t>> previous_;  // may be null
  std::shared_ptr<const std::vector<uint8_t>> input_;
  bool last_;
  std::vector<uint8_t> output_;
  uint32_t adler_ = 1;
  bool failed_ = false;
};

}  // namespace bkvp::archive
