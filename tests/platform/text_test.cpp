#include "platform/text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace bkvp::platform {
namespace {

TEST(TextCase, FoldsLettersOutsideAsciiWhateverTheProcessLocale) {
  std::setlocale(LC_ALL, "C");  // the process locale knows no letters beyond ASCII
  EXPECT_EQ(ToLower("ÄÖÜ Ωmega ЯБЛОКО Abc"), "äöü ωmega яблоко abc");
  EXPECT_EQ(ToUpper("straße ωmega яблоко abc"), "STRAßE ΩMEGA ЯБЛОКО ABC");
  EXPECT_EQ(ToLower("𐐀"), "𐐨");  // four-byte sequence
}

TEST(TextCase, InvalidBytesPassThroughUnchanged) {
  const std::string broken = std::string("A\xC3") + "B\xFF\x80z";
  EXPECT_EQ(ToLower(broken), std::string("a\xC3") + "b\xFF\x80z");
  EXPECT_EQ(ToUpper("\xE2\x82"), "\xE2\x82");  // cut sequence
}

TEST(TextCase, ComparesWithoutRegardToCase) {
  EXPECT_TRUE(EqualsIgnoreCase("C:/Données/ÉTÉ.TXT", "c:/données/été.txt"));
  EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
  EXPECT_LT(CompareIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(CompareIgnoreCase("Zebra", "apple"), 0);
  EXPECT_EQ(CompareIgnoreCase("ÄRGER", "ärger"), 0);
  EXPECT_LT(CompareIgnoreCase("z", "ä"), 0);  // code point order beyond ASCII
}

TEST(TextCut, NeverEndsInsideASequence) {
  const std::string text = "aé€😀b";  // 1, 2, 3, 4 and 1 bytes
  const size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 11, 11};
  for (size_t max = 0; max < std::size(expected); ++max)
    EXPECT_EQ(CutUtf8(text, max).size(), expected[max]) << "max " << max;
}

TEST(TextCut, StrayContinuationBytesAreCutLikeSingleBytes) {
  const std::string text = "a\x80\x80\x80\x80\x80";
  EXPECT_EQ(CutUtf8(text, 4), text.substr(0, 4));
}

TEST(TextUtf16, RoundTripsSurrogatePairs) {
  const std::string text = "Grüße 😀 €";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"Grüße 😀 €");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(TextUtf16, BytesThatAreNotUtf8RoundTripAsLoneSurrogates) {
  // Any Linux file name must come back byte for byte, and two names that
  // differ in such bytes must stay two names.
  const std::string names[] = {"bad\xff\xfe.txt",
                               "\xff.txt",
                               "\xef\xbf\xbd.txt",
                               "a\xC0\xAF"
                               "b",
                               "\xED\xA0\x80",
                               "\xF4\x90\x80\x80",
                               "x\xE2\x82"};
  for (const std::string& name : names) EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(name)), name);
  EXPECT_EQ(Utf8ToUtf16("\xff.txt"), u"\xDCFF.txt");
  EXPECT_NE(Utf8ToUtf16("\xff.txt"), Utf8ToUtf16("\xef\xbf\xbd.txt"));
  // Lone surrogates that no byte stands for cannot be written as UTF-8.
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
  EXPECT_EQ(Utf16ToUtf8(lone),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace bkvp::platform
