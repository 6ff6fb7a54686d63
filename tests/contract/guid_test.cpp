#include "contract/guid.h"

#include <gtest/gtest.h>

#include "contract/interfaces.h"

using namespace bkvp;

namespace {

TEST(Guid, ParsesAnyHexCaseAndFormatsUpperCase) {
  const auto lower = GuidFromString("{6742d8b5-d63f-422b-b58e-482163e05964}");
  const auto mixed = GuidFromString("{6742D8b5-D63f-422B-b58E-482163e05964}");
  ASSERT_TRUE(lower && mixed);
  EXPECT_EQ(*lower, IBackuper::kIid);
  EXPECT_EQ(*mixed, IBackuper::kIid);
  EXPECT_EQ(GuidToString(*lower), "{6742D8B5-D63F-422B-B58E-482163E05964}");
}

TEST(Guid, FieldsKeepTheirOrderAndWidth) {
  const auto g = GuidFromString("{01020304-0506-0708-090A-0B0C0D0E0F10}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->Data1, 0x01020304u);
  EXPECT_EQ(g->Data2, 0x0506);
  EXPECT_EQ(g->Data3, 0x0708);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(g->Data4[i], 9 + i);
  EXPECT_EQ(GuidToString(GUID{}), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(GuidToString(*GuidFromString("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}")),
            "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
}

TEST(Guid, MalformedTextIsRefused) {
  for (const char* bad : {
           "", "{}",
           "6742D8B5-D63F-422B-B58E-482163E05964",     // no braces
           "{6742D8B5-D63F-422B-B58E-482163E05964",    // no closing brace
           "(6742D8B5-D63F-422B-B58E-482163E05964)",   // wrong brackets
           "{6742D8B5-D63F-422B-B58E-482163E0596}",    // one digit short
           "{6742D8B5-D63F-422B-B58E-482163E059640}",  // one digit long
           "{6742D8B5D-63F-422B-B58E-482163E05964}",   // dash moved
           "{6742D8B5-D63F-422BB-58E-482163E05964}",   // dash moved
           "{6742D8G5-D63F-422B-B58E-482163E05964}",   // not hex
           "{+742D8B5-D63F-422B-B58E-482163E05964}",   // sign
           "{ 742D8B5-D63F-422B-B58E-482163E05964}",   // space
           "{6742D8B5-D63F-422B-B58E-482163E05964} ",  // trailing text
       }) {
    EXPECT_FALSE(GuidFromString(bad)) << bad;
  }
  EXPECT_FALSE(GuidFromString(std::string_view("{6742D8B5-D63F-422B-B58E-482163E0596\0}", 38)));
}

}  // namespace
