#include "archive/block_deflate.h"

#include <zlib.h>

namespace bkvp::archive {

namespace {

// Runs deflate with `flush` until all input is taken and, for Z_FINISH, the
// stream has ended; the output grows as needed.
void DeflateAll(z_stream& stream, std::span<const uint8_t> input, int flush,
                std::vector<uint8_t>& out) {
  stream.next_in = const_cast<Bytef*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  // Level 9 rarely grows data by more than a few bytes per 16 KiB; the bound
  // plus room for the flush marker is enough almost always.
  out.resize(deflateBound(&stream, static_cast<uLong>(input.size())) + 16);
  size_t produced = 0;
  for (;;) {
    if (produced == out.size()) out.resize(out.size() * 2);
    stream.next_out = out.data() + produced;
    stream.avail_out = static_cast<uInt>(out.size() - produced);
    const int result = deflate(&stream, flush);
    produced = out.size() - stream.avail_out;
    if (result == Z_STREAM_ERROR) throw Compress::CCompressException();
    if (flush == Z_FINISH ? result == Z_STREAM_END : (stream.avail_in == 0 && stream.avail_out > 0))
      break;
    // Z_BUF_ERROR only says no progress was possible: more room follows.
  }
  out.resize(produced);
}

}  // namespace

ByteBuffer DeflateWhole(Compress::ZlibState& state, std::span<const uint8_t> input) {
  z_stream& stream = state.Begin();
  // The bound is room for the whole stream in one call.
  const size_t room = deflateBound(&stream, static_cast<uLong>(input.size()));
  ByteBuffer out(room);
  stream.next_in = const_cast<Bytef*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(room);
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw Compress::CCompressException();
  out.Shrink(room - stream.avail_out);
  return out;
}

std::vector<uint8_t> DeflateBlock(Compress::ZlibState& state, std::span<const uint8_t> dictionary,
                                  std::span<const uint8_t> input, bool last) {
  z_stream& stream = state.Begin();
  if (dictionary.size() > kDictionarySize) dictionary = dictionary.last(kDictionarySize);
  if (!dictionary.empty() && deflateSetDictionary(&stream, dictionary.data(),
                                                  static_cast<uInt>(dictionary.size())) != Z_OK)
    throw Compress::CCompressException();
  std::vector<uint8_t> out;
  DeflateAll(stream, input, last ? Z_FINISH : Z_SYNC_FLUSH, out);
  return out;
}

void AdlerOfPieces::Add(uint32_t pieceAdler, size_t pieceSize) {
  adler_ =
      static_cast<uint32_t>(adler32_combine(adler_, pieceAdler, static_cast<z_off_t>(pieceSize)));
}

std::vector<uint8_t> AdlerOfPieces::Trailer() const {
  return {static_cast<uint8_t>(adler_ >> 24), static_cast<uint8_t>(adler_ >> 16),
          static_cast<uint8_t>(adler_ >> 8), static_cast<uint8_t>(adler_)};
}

uint32_t AdlerOf(std::span<const uint8_t> bytes) {
  return static_cast<uint32_t>(adler32_z(1, bytes.data(), bytes.size()));
}

}  // namespace bkvp::archive
