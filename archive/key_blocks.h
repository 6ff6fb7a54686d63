// The registry key blocks of a key record's data part (docs/archive-format.md)
// walked with every count and length checked against the blocks' own size.
// Values come out in pieces, so that no field of the archive decides how
// much memory a walk takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace bkvp::archive {

// Supplies the stored blocks: fills exactly `size` bytes or returns false.
using BlockReader = std::function<bool(void* buffer, size_t size)>;

// The largest piece of a value's data handed to the visitor at once.
constexpr size_t kValuePieceSize = 64 * 1024;

// What a walk meets, in order: each block's relative name, then each of its
// values: its name, type and data size, its data in pieces, its end.
struct KeyBlockVisitor {
  std::function<void(const std::string& relative)> key;
  std::function<void(const std::string& name, uint32_t type, uint32_t size)> value;
  std::function<void(const uint8_t* data, size_t size)> valueData;
  std::function<void()> valueEnd;
};

// Walks the blocks of exactly `size` bytes. Returns false when they are
// damaged (a negative or oversized count or length) or end early.
bool WalkKeyBlocks(uint64_t size, const BlockReader& read, const KeyBlockVisitor& visitor);

}  // namespace bkvp::archive
