// The work the reader hands to its workers: a data part turned into the
// file's whole content, the head of a large stream, and the Adler-32 of
// what the caller inflates. Workers turn bytes in memory into bytes in
// memory; the data parts are read by the caller.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "archive/block_deflate.h"
#include "archive/byte_buffer.h"
#include "archive/compression_pool.h"
#include "platform/large_buffer.h"

namespace bkvp::archive {

// A data part turned into the file's bytes: inflated whole when it is a
// zlib stream (its Adler-32 checked), taken as it is otherwise.
class InflateJob : public CompressionJob {
 public:
  // A stream is inflated by Run; more than `outputLimit` bytes of content
  // give up. Other bytes are the content as they are.
  InflateJob(std::vector<uint8_t> dataPart, bool stream, size_t outputLimit);
  void Run(WorkerStates& states) override;

  // For a stream only after Run: the complete content, or nullopt.
  std::optional<std::span<const uint8_t>> content() const;

 private:
  std::vector<uint8_t> dataPart_;  // a stream only until Run
  bool stream_;
  ByteBuffer inflated_;
  size_t limit_;
  bool complete_ = false;
};

// Memory a head start fills, kept from job to job: touching fresh pages
// costs about as much as inflating into them. The first `inputRoom` bytes
// take the data part's first bytes, the rest the content.
struct HeadStartBuffers {
  HeadStartBuffers(size_t inputRoom, size_t outputRoom)
      : memory(inputRoom + outputRoom), inputRoom(inputRoom) {}
  uint8_t* input() const { return memory.data(); }
  uint8_t* output() const { return memory.data() + inputRoom; }
  size_t outputRoom() const { return memory.size() - inputRoom; }

  platform::LargeBuffer memory;
  size_t inputRoom;
  size_t inputSize = 0;    // read into it
  bool wholePart = false;  // what was read is the whole data part
};

// The first stretch of a large data part's stream inflated ahead, for the
// caller to write out and then go on with the stream itself, reading the
// rest of the data part where the head stopped (see consumed()).
class HeadStartJob : public CompressionJob {
 public:
  enum class Outcome { kFailed, kWhole, kHead };

  // `buffers->input()` holds the data part's first bytes, a stream; at
  // most `buffers->outputRoom()` bytes of content are inflated.
  explicit HeadStartJob(std::unique_ptr<HeadStartBuffers> buffers);
  void Run(WorkerStates& states) override;

  // After Run. kWhole: the stream ended, content() is all of it (its
  // Adler-32 checked); kHead: content() is its beginning and state() goes on.
  Outcome outcome() const { return outcome_; }
  std::span<const uint8_t> content() const { return {buffers_->output(), produced_}; }
  // Bytes of the data part the head took.
  uint64_t consumed() const { return consumed_; }
  Compress::ZlibState& state() { return state_; }
  // The memory goes back for the next head start; content() is gone.
  std::unique_ptr<HeadStartBuffers> TakeBuffers() { return std::move(buffers_); }

 private:
  std::unique_ptr<HeadStartBuffers> buffers_;
  Compress::ZlibState state_{Compress::ZlibState::Direction::kInflate};
  Outcome outcome_ = Outcome::kFailed;
  size_t produced_ = 0;
  uint64_t consumed_ = 0;
};

// The Adler-32 of a large file's bytes, summed by the workers while the
// caller inflates and writes on: the caller's inflater then skips its own
// sum, which is about a tenth of its time. Each piece must stay as it is
// until the sum has passed it (see WaitAllBut).
class SideAdler {
 public:
  // `start`: the sum of the file's bytes before the first piece.
  SideAdler(CompressionPool& pool, uint32_t start) : pool_(pool), sum_(start) {}
  SideAdler(const SideAdler&) = delete;
  SideAdler& operator=(const SideAdler&) = delete;
  // No worker reads a piece after this.
  ~SideAdler();

  void Add(const uint8_t* data, size_t size);
  // Until only the `pending` pieces added last may still be read.
  void WaitAllBut(size_t pending);
  // The Adler-32 of every piece added, in order.
  uint32_t Value();

 private:
  class PieceJob;

  CompressionPool& pool_;
  std::deque<std::shared_ptr<PieceJob>> pieces_;
  AdlerOfPieces sum_;
};

}  // namespace bkvp::archive
