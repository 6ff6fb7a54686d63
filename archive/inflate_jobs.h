// The work the reader hands to its workers when it reads ahead: a data
// part turned into the file's whole content. Workers turn bytes in memory
// into bytes in memory; the data parts are read by the caller.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "archive/block_deflate.h"
#include "archive/compression_pool.h"

namespace bkvp::archive {

// A data part turned into the file's bytes: inflated when it is a zlib
// stream (its Adler-32 checked), taken as it is otherwise.
class InflateJob : public CompressionJob {
 public:
  // A stream is inflated by Run; more than `outputLimit` bytes of content
  // give up. Other bytes are the content as they are.
  InflateJob(std::vector<uint8_t> dataPart, bool stream, size_t outputLimit);
  void Run(WorkerStates& states) override;

  // For a stream only after Run: the complete content, or null.
  const std::vector<uint8_t>* content() const { return complete_ ? &output_ : nullptr; }

 private:
  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;
  size_t limit_;
  bool complete_ = false;
};

// The Adler-32 of a large file's bytes, summed by the workers while the
// caller inflates and writes on: the caller's inflater then skips its own
// sum, which is about a tenth of its time. Each piece must stay as it is
// until the sum has passed it (see WaitAllBut).
class SideAdler {
 public:
  explicit SideAdler(CompressionPool& pool) : pool_(pool) {}
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
