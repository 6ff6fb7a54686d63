#include "archive/whole_buffer_codec.h"

#include <libdeflate.h>

#include <algorithm>

#include "archive/compress_stream.h"

namespace bkvp::archive {

namespace {

// Below level 8 libdeflate writes 78 9C, the header of zlib's default
// level. The level in a zlib header is a hint that no inflater uses
// (RFC 1950), and 78 DA is as valid a header; readers of an archive take a
// data part for a stream by those two bytes.
void MarkAsStream(uint8_t* header) {
  header[0] = 0x78;
  header[1] = 0xDA;
}

}  // namespace

void WholeDeflater::Free::operator()(libdeflate_compressor* compressor) const {
  libdeflate_free_compressor(compressor);
}

libdeflate_compressor* WholeDeflater::Compressor(size_t size) {
  const bool quick = size <= kQuickDeflateSize;
  auto& compressor = quick ? quickCompressor_ : compressor_;
  if (!compressor) {
    compressor.reset(libdeflate_alloc_compressor(quick ? kQuickDeflateLevel : kWholeDeflateLevel));
    if (!compressor) throw Compress::CCompressException();
  }
  return compressor.get();
}

// A small stream is made in the memory kept for it and copied out at its
// size: made in place, it would hold on to the whole room, which the heap
// hands out touched already. A large one is made in place, in fresh pages
// that only the stream touches.
std::optional<ByteBuffer> WholeDeflater::Deflate(std::span<const uint8_t> input, size_t limit) {
  libdeflate_compressor* compressor = Compressor(input.size());
  const size_t room = std::min(limit, libdeflate_zlib_compress_bound(compressor, input.size()));
  ByteBuffer out;
  uint8_t* at = nullptr;
  if (room <= kScratchSize) {
    scratch_.resize(kScratchSize);
    at = scratch_.data();
  } else {
    out = ByteBuffer(room);
    at = out.data();
  }
  // 0: it did not fit (a zlib stream is never empty).
  const size_t size = libdeflate_zlib_compress(compressor, input.data(), input.size(), at, room);
  if (size == 0) return std::nullopt;
  MarkAsStream(at);
  if (out.size() == 0) {
    out = ByteBuffer(size);
    std::copy_n(at, size, out.data());
  }
  out.Shrink(size);
  return out;
}

size_t WholeDeflater::DeflatedSize(std::span<const uint8_t> input) {
  libdeflate_compressor* compressor = Compressor(input.size());
  const size_t room = libdeflate_zlib_compress_bound(compressor, input.size());
  if (scratch_.size() < room) scratch_.resize(room);
  return libdeflate_zlib_compress(compressor, input.data(), input.size(), scratch_.data(), room);
}

void WholeInflater::Free::operator()(libdeflate_decompressor* decompressor) const {
  libdeflate_free_decompressor(decompressor);
}

std::optional<WholeInflater::Inflated> WholeInflater::Inflate(std::span<const uint8_t> dataPart,
                                                              std::span<uint8_t> room) {
  if (!decompressor_) {
    decompressor_.reset(libdeflate_alloc_decompressor());
    if (!decompressor_) return std::nullopt;  // zlib then does it
  }
  Inflated inflated{};
  if (libdeflate_zlib_decompress_ex(decompressor_.get(), dataPart.data(), dataPart.size(),
                                    room.data(), room.size(), &inflated.streamSize,
                                    &inflated.contentSize) != LIBDEFLATE_SUCCESS)
    return std::nullopt;
  return inflated;
}

}  // namespace bkvp::archive
