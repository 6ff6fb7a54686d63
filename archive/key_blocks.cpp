#include "archive/key_blocks.h"

#include <algorithm>
#include <vector>

#include "archive/format.h"
#include "archive/layout.h"

namespace bkvp::archive {

bool WalkKeyBlocks(uint64_t size, const BlockReader& read, const KeyBlockVisitor& visitor) {
  uint64_t consumed = 0;
  // Reads a count or length field; false when the blocks end first.
  auto readI4 = [&](int32_t* value) {
    uint8_t bytes[4];
    if (size - consumed < 4 || !read(bytes, 4)) return false;
    consumed += 4;
    *value = GetLE<int32_t>(bytes);
    return true;
  };
  auto readName = [&](std::string* name) {
    int32_t length;
    if (!readI4(&length) || length < 0 || static_cast<size_t>(length) > kMaxNameBytes ||
        size - consumed < static_cast<uint64_t>(length))
      return false;
    uint8_t bytes[kMaxNameBytes];
    if (!read(bytes, static_cast<size_t>(length))) return false;
    consumed += static_cast<uint64_t>(length);
    *name = NameFromBytes(bytes, static_cast<size_t>(length));
    return true;
  };

  std::vector<uint8_t> piece;
  while (consumed < size) {
    std::string relative;
    int32_t valueCount;
    if (!readName(&relative)) return false;
    if (visitor.key) visitor.key(relative);
    if (!readI4(&valueCount) || valueCount < 0) return false;
    // Every entry takes at least 12 bytes, so a damaged count runs into the
    // end of the blocks instead of spinning.
    for (int32_t i = 0; i < valueCount; ++i) {
      std::string name;
      int32_t type, dataSize;
      if (!readName(&name) || !readI4(&type) || !readI4(&dataSize) || dataSize < 0 ||
          static_cast<uint64_t>(dataSize) > size - consumed)
        return false;
      if (visitor.value)
        visitor.value(name, static_cast<uint32_t>(type), static_cast<uint32_t>(dataSize));
      for (uint32_t left = static_cast<uint32_t>(dataSize); left > 0;) {
        piece.resize(std::min<size_t>(left, kValuePieceSize));
        if (!read(piece.data(), piece.size())) return false;
        consumed += piece.size();
        left -= static_cast<uint32_t>(piece.size());
        if (visitor.valueData) visitor.valueData(piece.data(), piece.size());
      }
      if (visitor.valueEnd) visitor.valueEnd();
    }
  }
  return true;
}

}  // namespace bkvp::archive
