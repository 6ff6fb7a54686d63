#include "archive/compress_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "tests/archive/independent_writer.h"

namespace {

using bkvp::Compress::CCompressException;

std::string Sample(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i)
    s += "line " + std::to_string(i * 7919 % 1000) + " of text\n";
  s.resize(size);
  return s;
}

// Collects what a stream hands its sink.
struct Collected {
  std::string bytes;
  bkvp::Compress::ChunkSink sink{
      [this](const uint8_t* d, size_t n) { bytes.append(reinterpret_cast<const char*>(d), n); }};
};

TEST(IsCompressible, StoredAsIsTypesAndPathsWithoutExtension) {
  for (const char* path : {"C:\\photos\\a.JPEG", "b.jpeg", "c.zip", "d.tar.gz", "/x/y.RaR",
                           "/x/y.gif", "C:\\data\\readme", "noextension"})
    EXPECT_FALSE(bkvp::Compress::IsCompressible(path)) << path;
  for (const char* path : {"e.jpg", "f.txt", "g.Gif2", "C:\\x.y\\readme", "/a.b/c", "z.", "/x/y.G"})
    EXPECT_TRUE(bkvp::Compress::IsCompressible(path)) << path;
}

TEST(DeflateStream, ChunkedInputGivesOneStandardZlibStream) {
  const std::string input = Sample(200000);
  Collected out;
  bkvp::Compress::DeflateStream stream(out.sink);
  size_t offset = 0;
  for (size_t chunk : {65536u, 65536u, 65536u, 3392u}) {
    stream.Write(reinterpret_cast<const uint8_t*>(input.data()) + offset, chunk);
    offset += chunk;
  }
  stream.Finish();
  ASSERT_GE(out.bytes.size(), 2u);
  EXPECT_EQ(uint8_t(out.bytes[0]), 0x78);
  EXPECT_EQ(uint8_t(out.bytes[1]), 0xDA);
  // Same bytes as zlib's own one-shot level-9 compression.
  EXPECT_EQ(out.bytes, bkvp::testing::plain::Deflate(input));

  std::string back(input.size(), '\0');
  uLongf size = back.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &size,
                       reinterpret_cast<const Bytef*>(out.bytes.data()), out.bytes.size()),
            Z_OK);
  EXPECT_EQ(back, input);
}

// One deflate state serves file after file: each stream must be the very
// bytes a fresh level-9 state gives, whatever came before it, including a
// larger file, an empty one and a stream abandoned half way.
TEST(ZlibState, ReusedDeflateStateGivesFreshStateBytesForEveryStream) {
  bkvp::Compress::ZlibState state(bkvp::Compress::ZlibState::Direction::kDeflate);
  auto compress = [&state](const std::string& input, size_t stopAfter = std::string::npos) {
    Collected out;
    bkvp::Compress::DeflateStream stream(out.sink, state);
    const size_t size = std::min(input.size(), stopAfter);
    for (size_t i = 0; i < size; i += 65536)
      stream.Write(reinterpret_cast<const uint8_t*>(input.data()) + i,
                   std::min<size_t>(65536, size - i));
    if (stopAfter == std::string::npos) stream.Finish();
    return out.bytes;
  };
  const std::string big = Sample(200000);
  // The small ones repeat text the big one left in the window.
  for (const std::string& input : {big, big.substr(1000, 3000), std::string(), std::string("x"),
                                   big.substr(150000, 70000), Sample(100)})
    EXPECT_EQ(compress(input), bkvp::testing::plain::Deflate(input)) << input.size();
  compress(big, 100000);  // left without Finish, as a failed source read leaves it
  EXPECT_EQ(compress(big.substr(0, 2500)), bkvp::testing::plain::Deflate(big.substr(0, 2500)));
}

TEST(ZlibState, ReusedInflateStateRecoversFromDamagedAndAbandonedStreams) {
  bkvp::Compress::ZlibState state(bkvp::Compress::ZlibState::Direction::kInflate);
  auto inflateAll = [&state](const std::string& packed, bool finish = true) {
    Collected out;
    bkvp::Compress::InflateStream stream(out.sink, state);
    stream.Write(reinterpret_cast<const uint8_t*>(packed.data()), packed.size());
    if (finish) stream.Finish();
    return out.bytes;
  };
  const std::string first = Sample(150000), second = Sample(900);
  const std::string packed = bkvp::testing::plain::Deflate(first);
  std::string corrupt = packed;
  corrupt[40] ^= 0x55;
  corrupt[41] ^= 0x55;
  EXPECT_THROW(inflateAll(corrupt), CCompressException);
  EXPECT_EQ(inflateAll(bkvp::testing::plain::Deflate(second)), second);
  inflateAll(packed.substr(0, packed.size() / 2), false);  // abandoned half way
  EXPECT_EQ(inflateAll(packed), first);
  EXPECT_EQ(inflateAll(bkvp::testing::plain::Deflate(second)), second);
  // A state lent to the wrong direction is refused, not misused.
  Collected out;
  EXPECT_THROW(bkvp::Compress::DeflateStream(out.sink, state), CCompressException);
}

TEST(InflateStream, RestoresInputFedInSmallPieces) {
  const std::string input = Sample(300000);
  const std::string packed = bkvp::testing::plain::Deflate(input);
  Collected out;
  bkvp::Compress::InflateStream stream(out.sink);
  for (size_t i = 0; i < packed.size(); i += 1000)
    stream.Write(reinterpret_cast<const uint8_t*>(packed.data()) + i,
                 std::min<size_t>(1000, packed.size() - i));
  stream.Finish();
  EXPECT_EQ(out.bytes, input);
}

TEST(InflateStream, DamagedOrCutStreamsThrowInsteadOfSpinning) {
  const std::string packed = bkvp::testing::plain::Deflate(Sample(100000));
  auto inflateAll = [](const std::string& bytes) {
    Collected out;
    bkvp::Compress::InflateStream stream(out.sink);
    stream.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    stream.Finish();
    return out.bytes;
  };
  std::string corrupt = packed;
  corrupt[corrupt.size() / 2] ^= 0x55;
  corrupt[corrupt.size() / 2 + 1] ^= 0x55;
  EXPECT_THROW(inflateAll(corrupt), CCompressException);
  EXPECT_THROW(inflateAll(packed.substr(0, packed.size() / 2)), CCompressException);
  EXPECT_THROW(inflateAll("\x78\xDA not deflate data at all"), CCompressException);
  // Bytes after a complete stream are not part of it.
  EXPECT_EQ(inflateAll(packed + "trailing"), Sample(100000));
}

}  // namespace
