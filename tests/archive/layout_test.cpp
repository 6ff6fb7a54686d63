// Byte positions checked against offsets worked out by hand from the format
// description, not against the service's own constants.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/archive/archive_harness.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

uint64_t At(const std::string& b, size_t offset, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | uint8_t(b.at(offset + i));
  return v;
}

std::string Field(const std::string& b, size_t offset, size_t size) {
  return b.substr(offset, size);
}

std::string Padded(const std::string& text, size_t size) {
  std::string s = text;
  s.resize(size, '\0');
  return s;
}

class ArchiveLayout : public HomeFixture {
 protected:
  TempDir dir;
};

TEST_F(ArchiveLayout, HeaderTableAndRecordsSitAtTheirOffsets) {
  const std::string source = dir / "one.gz";  // a stored-as-is type: kept byte for byte
  WriteFile(source, "x");
  const std::string path = dir / "Vopalarc000001.KV";

  WriterHarness w;
  // 26 two-byte characters: the 51-byte field keeps 25 of them, never half of one.
  std::string longUser;
  for (int i = 0; i < 26; ++i) longUser += "\xC3\xA9";
  w.api->SetVersionInfo(3, 4);
  w.api->SetArchiveInfo(Bstr(path).get(), Bstr(longUser).get(), Bstr("machine").get(),
                        Bstr("label").get(), 37000.5, 99);
  ASSERT_EQ(w.Options(kClsidA, "Alpha", {1, 2, 3}), S_OK);
  ASSERT_EQ(w.Options(kClsidA, "Alpha", {4, 5}), S_OK);
  ASSERT_EQ(w.api->StartBackup(), S_OK);
  w.Begin(kClsidA);
  w.String("nm", {"hel", "lo"});
  w.End();
  w.Begin(kClsidB);
  w.File(source, "one.gz");
  w.End();
  ASSERT_EQ(w.Finish(), S_OK);

  const std::string b = ReadFile(path);
  // Header.
  EXPECT_EQ(Field(b, 0, 2), "KV");
  double time;
  const uint64_t bits = At(b, 2, 8);
  std::memcpy(&time, &bits, 8);
  EXPECT_EQ(time, 37000.5);
  EXPECT_EQ(Field(b, 10, 51), Padded(longUser.substr(0, 50), 51));
  EXPECT_EQ(Field(b, 61, 51), Padded("machine", 51));
  EXPECT_EQ(Field(b, 112, 256), Padded("label", 256));
  EXPECT_EQ(Field(b, 368, 4), std::string(4, '\0'));
  EXPECT_EQ(At(b, 372, 4), 3u);
  EXPECT_EQ(At(b, 376, 4), 4u);
  EXPECT_EQ(Field(b, 380, 10), std::string(10, '\0'));
  EXPECT_EQ(At(b, 390, 4), 2u);  // sections kept, not the 99 announced

  // Table: A (closed first) at 394 with 5 option bytes, B at 509; data at
  // 394 + 2 * 110 + 5 = 619.
  EXPECT_EQ(At(b, 394, 8), 619u);
  EXPECT_EQ(Field(b, 402, 39), Padded(kClsidA, 39));
  EXPECT_EQ(Field(b, 441, 8), std::string(8, '\0'));
  EXPECT_EQ(Field(b, 449, 51), Padded("Alpha", 51));
  EXPECT_EQ(At(b, 500, 4), 5u);
  EXPECT_EQ(Field(b, 504, 5), std::string("\1\2\3\4\5", 5));
  // A's section: 4 + string record (18 + 2 + 4 + 5) = 33 bytes.
  EXPECT_EQ(At(b, 509, 8), 619u + 33);
  EXPECT_EQ(Field(b, 517, 39), Padded(kClsidB, 39));
  EXPECT_EQ(Field(b, 564, 51), Padded("", 51));
  EXPECT_EQ(At(b, 615, 4), 0u);

  // A's section: weight sum, then the string record.
  EXPECT_EQ(At(b, 619, 4), 1u);
  EXPECT_EQ(At(b, 623, 8), 5u);  // D
  EXPECT_EQ(At(b, 631, 2), 2u);  // type
  EXPECT_EQ(At(b, 633, 4), 1u);  // weight
  EXPECT_EQ(At(b, 637, 4), 2u);  // L, no zero for strings
  EXPECT_EQ(Field(b, 641, 2), "nm");
  EXPECT_EQ(At(b, 643, 4), 0u);  // I
  EXPECT_EQ(Field(b, 647, 5), "hello");

  // B's section at 652: the one-byte file, stored as it is.
  const size_t r = 656;
  const size_t l = source.size() + 1;
  EXPECT_EQ(At(b, 652, 4), 1u);
  EXPECT_EQ(At(b, r, 8), 1u);
  EXPECT_EQ(At(b, r + 8, 2), 0u);
  EXPECT_EQ(At(b, r + 14, 4), l);
  EXPECT_EQ(Field(b, r + 18, l), source + '\0');
  EXPECT_EQ(At(b, r + 18 + l, 4), 28u + 7);  // "one.gz" and its zero
  const size_t info = r + 22 + l;
  EXPECT_EQ(Field(b, info + 28, 7), std::string("one.gz\0", 7));
  EXPECT_EQ(Field(b, info + 35, 1), "x");
  EXPECT_EQ(b.size(), info + 36);
}

}  // namespace
}  // namespace bkvp::testing
