// zlib's level-9 deflate of a file held whole, and the pieces of one zlib
// stream (level 9, 32 KiB window) made by several threads at once. A file
// too large to be deflated whole in memory is cut into blocks; each block
// is deflated on its own, primed with the last 32 KiB of the block before
// it as dictionary, and ended on a byte boundary with a sync flush (the
// last one with the final block). Laid end to end behind the zlib header
// and followed by the Adler-32 of the whole file, which the blocks' own
// Adler-32 values give, they are one stream that any inflater reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/byte_buffer.h"
#include "archive/compress_stream.h"

namespace bkvp::archive {

// The blocks a large file is cut into.
constexpr size_t kBlockSize = 128 * 1024;
// What a block may lean on: the whole deflate window.
constexpr size_t kDictionarySize = 32 * 1024;

// One complete zlib stream of `input`, as the writer's streaming compressor
// gives it, for data that zlib deflates tighter than whole-buffer deflate.
// `state` is a deflate state (zlib header and trailer).
// Throws Compress::CCompressException when zlib fails.
ByteBuffer DeflateWhole(Compress::ZlibState& state, std::span<const uint8_t> input);

// One block of a stream cut into blocks. `state` is a raw deflate state;
// `dictionary` is what came before the block (its last 32 KiB are used).
// Throws Compress::CCompressException when zlib fails.
std::vector<uint8_t> DeflateBlock(Compress::ZlibState& state, std::span<const uint8_t> dictionary,
                                  std::span<const uint8_t> input, bool last);

// The Adler-32 of a whole file from those of its pieces, in order.
class AdlerOfPieces {
 public:
  // `start`: the sum of what came before the pieces.
  explicit AdlerOfPieces(uint32_t start = 1) : adler_(start) {}
  void Add(uint32_t pieceAdler, size_t pieceSize);
  uint32_t value() const { return adler_; }
  // The stream's trailer: the Adler-32, most significant byte first.
  std::vector<uint8_t> Trailer() const;

 private:
  uint32_t adler_;
};

uint32_t AdlerOf(std::span<const uint8_t> bytes);

// Already-compressed data (photos, videos, packages) grows when deflated:
// it is worth storing compressed only when it shrinks below 97 %.
inline bool ShrinksEnough(size_t compressedSize, size_t originalSize) {
  return uint64_t{compressedSize} * 100 < uint64_t{originalSize} * 97;
}
// The largest compressed size that shrinks enough. Requires: originalSize > 0.
inline size_t MaxShrunkSize(size_t originalSize) {
  return static_cast<size_t>((uint64_t{originalSize} * 97 + 99) / 100 - 1);
}

}  // namespace bkvp::archive
