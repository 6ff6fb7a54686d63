#include "archive/whole_buffer_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_writer.h"

namespace bkvp::testing {
namespace {

using archive::WholeDeflater;
using archive::WholeInflater;

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// What zlib's own inflate makes of a stream; nullopt when it refuses it.
std::optional<std::string> ZlibInflate(std::span<const uint8_t> stream, size_t contentSize) {
  std::string content(contentSize + 1, '\0');
  uLongf size = content.size();
  if (uncompress(reinterpret_cast<Bytef*>(content.data()), &size, stream.data(), stream.size()) !=
      Z_OK)
    return std::nullopt;
  content.resize(size);
  return content;
}

// One compressor and one inflater go from buffer to buffer, as a worker's do.
TEST(WholeBufferCodec, EveryStreamIsOneThatZlibReadsAndReadersTakeForAStream) {
  WholeDeflater deflater;
  WholeInflater inflater;
  const std::string inputs[] = {"",
                                "x",
                                Text(100000, 1),
                                Text(archive::kQuickDeflateSize, 5),
                                Noise(70000, 2),
                                "\x78\xDA" + Noise(5000, 3),
                                Text(3 << 20, 4),
                                std::string(200000, 'z')};
  for (const std::string& input : inputs) {
    const auto stream = deflater.Deflate(Bytes(input), WholeDeflater::Unlimited());
    ASSERT_TRUE(stream) << input.size();
    ASSERT_GE(stream->size(), 2u);
    EXPECT_EQ(stream->data()[0], 0x78) << input.size();
    EXPECT_EQ(stream->data()[1], 0xDA) << input.size();
    EXPECT_EQ(ZlibInflate(stream->view(), input.size()), input) << input.size();
    EXPECT_EQ(deflater.DeflatedSize(Bytes(input)), stream->size());

    std::string room(input.size(), '\0');
    const auto inflated =
        inflater.Inflate(stream->view(), {reinterpret_cast<uint8_t*>(room.data()), room.size()});
    ASSERT_TRUE(inflated) << input.size();
    EXPECT_EQ(inflated->contentSize, input.size());
    EXPECT_EQ(inflated->streamSize, stream->size());
    EXPECT_EQ(room, input);
  }
}

TEST(WholeBufferCodec, AStreamAboveTheLimitIsNotMade) {
  WholeDeflater deflater;
  const std::string noise = Noise(50000, 5);
  EXPECT_FALSE(deflater.Deflate(Bytes(noise), noise.size() - 1));
  const std::string text = Text(50000, 6);
  const auto stream = deflater.Deflate(Bytes(text), text.size() - 1);
  ASSERT_TRUE(stream);
  EXPECT_EQ(ZlibInflate(stream->view(), text.size()), text);
}

// What the inflater does not take whole is left to zlib's stream, which
// then reads it or fails it as the reader always has.
TEST(WholeBufferCodec, InflaterTakesWhatZlibTakesAndNothingElse) {
  WholeInflater inflater;
  const std::string text = Text(300000, 8);
  std::string room(text.size(), '\0');
  auto inflate = [&](const std::string& stream, size_t roomSize) {
    return inflater.Inflate(Bytes(stream), {reinterpret_cast<uint8_t*>(room.data()), roomSize});
  };
  // zlib's streams, also flushed in blocks, and bytes after the end.
  for (const std::string& stream :
       {plain::Deflate(text), plain::DeflateInPieces(text, 128 * 1024)}) {
    const auto whole = inflate(stream + "after", room.size());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->streamSize, stream.size());
    EXPECT_EQ(room, text);
  }
  const std::string stream = plain::Deflate(text);
  EXPECT_FALSE(inflate(stream, text.size() - 1));
  EXPECT_FALSE(inflate(stream.substr(0, stream.size() - 1), room.size()));
  std::string badAdler = stream;
  badAdler.back() ^= 1;
  EXPECT_FALSE(inflate(badAdler, room.size()));
  EXPECT_FALSE(ZlibInflate(Bytes(badAdler), text.size()));
}

}  // namespace
}  // namespace bkvp::testing
