// Memory for the bytes of one file or one stream held whole. Small buffers
// come from the heap; large ones are mapped for themselves and given back
// to the system when they go. Through malloc, every large buffer freed
// would raise malloc's own threshold for mapping memory, after which it
// keeps megabytes freed by one thread that the others never reuse. The
// bytes are never cleared: only the pages written to are ever touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/large_buffer.h"

namespace bkvp::archive {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  // `size` bytes of undefined content. Throws std::bad_alloc when the
  // memory cannot be had.
  explicit ByteBuffer(size_t size);

  uint8_t* data() { return heap_ ? heap_.get() : mapped_.data(); }
  const uint8_t* data() const { return heap_ ? heap_.get() : mapped_.data(); }
  size_t size() const { return size_; }
  std::span<const uint8_t> view() const { return {data(), size_}; }
  // Keeps the first `size` bytes. Requires: size <= size().
  void Shrink(size_t size) { size_ = size; }

 private:
  std::unique_ptr<uint8_t[]> heap_;
  platform::LargeBuffer mapped_;
  size_t size_ = 0;
};

}  // namespace bkvp::archive
