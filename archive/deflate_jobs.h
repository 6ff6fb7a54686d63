// The work the writer hands to its compression workers, a file deflated
// whole and one block of a large file, and the trial of a large file's
// samples that decides how it is stored.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "archive/compression_pool.h"
#include "archive/whole_buffer_codec.h"

namespace bkvp::archive {

// Files up to this size are read whole and judged by deflating them whole.
constexpr uint64_t kSmallFileSize = 128 * 1024;
// A larger file is judged first by samples of this size from its head, its
// middle and its tail, whose deflated sizes are added up: a file that
// begins with a photo or a packed stretch is not taken for packed data
// throughout, nor the reverse.
constexpr size_t kSampleSize = 32 * 1024;
constexpr size_t kSamples = 3;
// Files up to this size that are worth compressing are read whole and
// deflated in one piece by one worker (libdeflate); larger ones are cut into
// blocks that the workers deflate side by side (zlib, block_deflate.h).
// bench/README.md says why this size.
constexpr uint64_t kWholeFileSize = 8u << 20;

// Which compressor makes a file's stream. Whole-buffer deflate is faster
// and on most data tighter; on text of a few words repeated over and over
// zlib's deeper search for matches wins by a percent or two, and a file
// whose samples say so is deflated by zlib (still whole, as zlib on one
// thread would).
enum class Deflater { kWholeBuffer, kZlib };

// A file read whole: one zlib stream of it, or the finding that it does not
// shrink enough to be worth storing compressed.
class WholeFileJob : public CompressionJob {
 public:
  // `mustCompress`: the bytes begin 78 DA and are stored compressed even
  // when they do not shrink (readers take such data parts for streams).
  // Without `deflate` the bytes are stored as they are and Run does nothing.
  WholeFileJob(ByteBuffer input, bool mustCompress, bool deflate,
               Deflater deflater = Deflater::kWholeBuffer)
      : input_(std::move(input)),
        size_(input_.size()),
        mustCompress_(mustCompress),
        deflate_(deflate),
        deflater_(deflater) {}
  void Run(WorkerStates& states) override;

  // The data part to store: the stream, or the bytes as they are.
  std::span<const uint8_t> dataPart() const { return compressed_ ? output_.view() : input_.view(); }
  // Compression failed on bytes that must be compressed: nothing can be
  // stored.
  bool failed() const { return failed_; }
  // The file's size.
  size_t size() const { return size_; }
  // The most memory the job holds: the file's bytes, and while they are
  // deflated a stream that may come near their size.
  uint64_t memoryBound() const { return deflate_ ? 2 * uint64_t{size_} : size_; }

 private:
  ByteBuffer input_;  // let go of once the stream is made
  size_t size_;
  ByteBuffer output_;
  bool mustCompress_;
  bool deflate_;
  Deflater deflater_;
  bool compressed_ = false;
  bool failed_ = false;
};

// How far a stretch of a large file shrinks: the size of its whole-buffer
// stream (0 when no compressor could be had, so that the file is
// compressed and the compression says what failed) and, when asked and the
// stretch shrinks enough (on packed data the two do not differ), the size
// of zlib's stream of it; else the same size again.
struct SampleSizes {
  size_t wholeBuffer = 0;
  size_t zlib = 0;
};
SampleSizes MeasureSample(WorkerStates& states, std::span<const uint8_t> sample, bool compareZlib);

// The same as a job.
class SampleJob : public CompressionJob {
 public:
  SampleJob(std::span<const uint8_t> sample, bool compareZlib)
      : sample_(sample), compareZlib_(compareZlib) {}
  void Run(WorkerStates& states) override { sizes_ = MeasureSample(states, sample_, compareZlib_); }
  const SampleSizes& sizes() const { return sizes_; }

 private:
  std::span<const uint8_t> sample_;  // the caller's, until Run is done
  bool compareZlib_;
  SampleSizes sizes_;
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
