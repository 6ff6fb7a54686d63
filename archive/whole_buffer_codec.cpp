#include "archive/whole_buffer_codec.h"

#include <libdeflate.h>

#include <algorithm>

#include "archive/compress_stream.h"

namespace bkvp::archive {

void WholeDeflater::Free::operator()(libdeflate_compressor* compressor) const {
  libdeflate_free_compressor(compressor);
}

libdeflate_compressor* WholeDeflater::Compressor() {
  if (!compressor_) {
    compressor_.reset(libdeflate_alloc_compressor(kWholeDeflateLevel));
    if (!compressor_) throw Compress::CCompressException();
  }
  return compressor_.get();
}

// A small stream is made in the memory kept for it and copied out at its
// size: made in place, it would hold on to the whole room, which the heap
// hands out touched already. A large one is made in place, in fresh pages
// that only the stream touches.
std::optional<ByteBuffer> WholeDeflater::Deflate(std::span<const uint8_t> input, size_t limit) {
  libdeflate_compressor* compressor = Compressor();
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
  if (out.size() == 0) {
    out = ByteBuffer(size);
    std::copy_n(at, size, out.data());
  }
  out.Shrink(size);
  return out;
}

size_t WholeDeflater::DeflatedSize(std::span<const uint8_t> input) {
  libdeflate_compressor* compressor = Compressor();
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
