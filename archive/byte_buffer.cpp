#include "archive/byte_buffer.h"

namespace bkvp::archive {

namespace {

// Below this the heap serves, as malloc's own threshold would.
constexpr size_t kMapFrom = 128 * 1024;

}  // namespace

ByteBuffer::ByteBuffer(size_t size) : size_(size) {
  if (size < kMapFrom)
    heap_ = std::make_unique_for_overwrite<uint8_t[]>(size);
  else
    mapped_ = platform::LargeBuffer(size, platform::LargeBuffer::Pages::kOrdinary);
}

}  // namespace bkvp::archive
