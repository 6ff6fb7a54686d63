// Deflate and inflate of whole buffers (libdeflate). They run about one and
// a half times as fast as zlib's streams (inflate two to three times), and
// what they write is an ordinary zlib stream that any inflater reads, zlib's
// included. They need all of their input and room for all of their output
// at once, so they serve the files and data parts held in memory whole;
// streams too long for that stay with zlib (compress_stream.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "archive/byte_buffer.h"

struct libdeflate_compressor;
struct libdeflate_decompressor;

namespace bkvp::archive {

// The effort of whole-buffer deflate: the lowest level that compresses at
// least as tightly as zlib's level 9 on text, program binaries and
// documents alike. bench/README.md has the measurements.
constexpr int kWholeDeflateLevel = 8;
// Files up to this size take one level less: in a few KiB the shorter
// search misses little (the archives of small files and of the system's
// text stay below zlib's size), and it deflates them a tenth to a quarter
// faster. Level 7 writes the header 78 9C; Deflate gives every stream the
// 78 DA that readers take for a stream. bench/README.md has the
// measurements.
constexpr size_t kQuickDeflateSize = 16 * 1024;
constexpr int kQuickDeflateLevel = 7;

// A compressor for each of the two levels, kept from buffer to buffer:
// setting one up costs about 650 KiB of fresh memory. Not for two threads
// at once.
class WholeDeflater {
 public:
  // One zlib stream of `input`, when it takes at most `limit` bytes;
  // nullopt when it would take more.
  // Throws Compress::CCompressException when no compressor can be had.
  std::optional<ByteBuffer> Deflate(std::span<const uint8_t> input, size_t limit);
  // Only the size of that stream, for judging what it would save.
  size_t DeflatedSize(std::span<const uint8_t> input);
  // Room for the stream of any input: Deflate(input, Unlimited()).
  static constexpr size_t Unlimited() { return SIZE_MAX; }

 private:
  struct Free {
    void operator()(libdeflate_compressor* compressor) const;
  };
  // The compressor for an input of `size` bytes.
  libdeflate_compressor* Compressor(size_t size);

  // Streams up to this size are made in scratch_, kept from call to call
  // so that its pages are faulted in once.
  static constexpr size_t kScratchSize = 256 * 1024;
  std::unique_ptr<libdeflate_compressor, Free> compressor_, quickCompressor_;
  std::vector<uint8_t> scratch_;
};

class WholeInflater {
 public:
  struct Inflated {
    size_t contentSize;  // the bytes written at the start of the room
    size_t streamSize;   // the bytes of the data part the stream took
  };
  // The zlib stream at the start of `dataPart` inflated into `room`, its
  // Adler-32 checked; bytes after the end of the stream are ignored, as
  // zlib's inflate ignores them. nullopt when the stream is damaged, does
  // not end within the data part, or its content does not fit the room:
  // the caller then has zlib go through it as a stream, which reads every
  // stream it can and fails the others the way the reader always has.
  std::optional<Inflated> Inflate(std::span<const uint8_t> dataPart, std::span<uint8_t> room);

 private:
  struct Free {
    void operator()(libdeflate_decompressor* decompressor) const;
  };
  std::unique_ptr<libdeflate_decompressor, Free> decompressor_;
};

}  // namespace bkvp::archive
