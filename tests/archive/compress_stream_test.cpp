#include "archive/compress_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "tests/archive/independent_writer.h"

namespace {

using Compress::CCompressException;

std::string Sample(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) s += "line " + std::to_string(i * 7919 % 1000) + " of text\n";
  s.resize(size);
  return s;
}

// Collects what a stream hands its sink.
struct Collected {
  std::string bytes;
  Compress::ChunkSink sink{[this](const uint8_t* d, size_t n) { bytes.append(reinterpret_cast<const char*>(d), n); }};
};

TEST(IsCompressible, StoredAsIsTypesAndPathsWithoutExtension) {
  for (const char* path : {"C:\\photos\\a.JPEG", "b.jpeg", "c.zip", "d.tar.gz", "/x/y.RaR",
                           "/x/y.gif", "C:\\data\\readme", "noextension"})
    EXPECT_FALSE(Compress::IsCompressible(path)) << path;
  for (const char* path : {"e.jpg", "f.txt", "g.Gif2", "C:\\x.y\\readme", "/a.b/c", "z.",
                           "/x/y.G"})
    EXPECT_TRUE(Compress::IsCompressible(path)) << path;
}

TEST(DeflateStream, ChunkedInputGivesOneStandardZlibStream) {
  const std::string input = Sample(200000);
  Collected out;
  Compress::DeflateStream stream(out.sink);
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

TEST(InflateStream, RestoresInputFedInSmallPieces) {
  const std::string input = Sample(300000);
  const std::string packed = bkvp::testing::plain::Deflate(input);
  Collected out;
  Compress::InflateStream stream(out.sink);
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
    Compress::InflateStream stream(out.sink);
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
