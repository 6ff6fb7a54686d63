// Memory for buffers of megabytes, mapped on their own. Buffers that are
// filled again and again are offered to the kernel for huge pages: on some
// machines (virtual ones in particular) touching fresh 4 KiB pages one by
// one costs as much as inflating data into them. Buffers filled once, or in
// part, take ordinary pages, so that only what is written costs memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bkvp::platform {

class LargeBuffer {
 public:
  enum class Pages { kHuge, kOrdinary };
  LargeBuffer() = default;
  // Throws std::bad_alloc when the memory cannot be had.
  explicit LargeBuffer(size_t size, Pages pages = Pages::kHuge);
  LargeBuffer(LargeBuffer&& other) noexcept;
  LargeBuffer& operator=(LargeBuffer&& other) noexcept;
  ~LargeBuffer();

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
};

}  // namespace bkvp::platform
