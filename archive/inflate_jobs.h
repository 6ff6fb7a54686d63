// The work the reader hands to its workers when it reads ahead: a data
// part turned into the file's whole content. Workers turn bytes in memory
// into bytes in memory; the data parts are read by the caller.
#pragma once

#include <cstdint>
#include <vector>

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

}  // namespace bkvp::archive
