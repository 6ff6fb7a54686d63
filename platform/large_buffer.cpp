#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <new>
#include <utility>

namespace bkvp::platform {

namespace {

constexpr size_t kHugePage = 2u << 20;

}  // namespace

// Whole huge pages on a huge page's boundary: mapped with a huge page to
// spare, the ends are given back.
LargeBuffer::LargeBuffer(size_t size, Pages pages) : size_(size) {
  if (pages == Pages::kOrdinary) {
    mapped_ = size;
    if (size == 0) return;
    void* at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<uint8_t*>(at);
    return;
  }
  mapped_ = (size + kHugePage - 1) / kHugePage * kHugePage;
  if (mapped_ == 0) return;
  void* at = ::mmap(nullptr, mapped_ + kHugePage, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(at);
  const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(at, aligned - start);
  if (const size_t after = kHugePage - (aligned - start); after > 0)
    ::munmap(reinterpret_cast<void*>(aligned + mapped_), after);
  data_ = reinterpret_cast<uint8_t*>(aligned);
  // Only advice: without huge pages the buffer works the same.
  ::madvise(data_, mapped_, MADV_HUGEPAGE);
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(mapped_, other.mapped_);
  return *this;
}

LargeBuffer::~LargeBuffer() {
  if (data_) ::munmap(data_, mapped_);
}

}  // namespace bkvp::platform
