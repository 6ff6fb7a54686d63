#include "contract/bstr.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace bkvp;

namespace {

uint32_t LengthPrefix(BSTR s) {
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const char*>(s) - sizeof bytes, sizeof bytes);
  return bytes;
}

TEST(Bstr, LengthPrefixCountsBytesWithoutTheTerminator) {
  BSTR s = SysAllocString(u"h\u00e9llo");
  EXPECT_EQ(LengthPrefix(s), 10u);
  EXPECT_EQ(SysStringLen(s), 5u);
  EXPECT_EQ(s[5], u'\0');
  SysFreeString(s);

  // The prefix, not the first zero, tells the length.
  const char16_t text[] = {u'a', u'\0', u'b'};
  s = SysAllocStringLen(text, 3);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(bkvp::ToAnsi(s), std::string("a\0b", 3));
  SysFreeString(s);

  s = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(LengthPrefix(s), 4u);
  EXPECT_TRUE(s[0] == 0 && s[1] == 0 && s[2] == 0);
  SysFreeString(s);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(bkvp::ToAnsi(nullptr), "");
}

TEST(Bstr, Utf8RoundTripsThroughUtf16) {
  // Two-byte, three-byte and four-byte (surrogate pair) sequences.
  const std::string text = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x93\x81";
  bkvp::Bstr s(text);
  EXPECT_EQ(SysStringLen(s.get()), 11u);  // the folder sign takes two units
  EXPECT_EQ(s.get()[1], u'\u00fc');
  EXPECT_EQ(s.get()[9], 0xD83D);
  EXPECT_EQ(s.str(), text);
}

}  // namespace
