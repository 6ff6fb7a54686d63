#include "contract/variant.h"

#include <gtest/gtest.h>

using namespace bkvp;

namespace {

const std::vector<uint8_t> kBytes{0x00, 0x7F, 0x80, 0xFF, 0x10};

LONG UpperBound(SAFEARRAY* array) {
  LONG bound = 42;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &bound), S_OK);
  return bound;
}

TEST(ByteArrayVariant, CopiesTheBytesWithLowerBoundZero) {
  bkvp::Variant v, empty;
  v.get() = bkvp::MakeByteArrayVariant(kBytes);
  empty.get() = bkvp::MakeByteArrayVariant({});
  EXPECT_EQ(v.get().vt, 0x2011);
  LONG lower = -1;
  EXPECT_EQ(SafeArrayGetLBound(v.get().parray, 1, &lower), S_OK);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(UpperBound(v.get().parray), 4);
  EXPECT_EQ(bkvp::ByteArrayOf(v.get()), kBytes);
  EXPECT_EQ(UpperBound(empty.get().parray), -1);
  EXPECT_EQ(bkvp::ByteArrayOf(empty.get()), std::vector<uint8_t>{});  // empty, not missing
}

TEST(ByteArrayVariant, ReadsEveryElementWhateverTheLowerBound) {
  bkvp::Variant v;
  v.get().vt = VT_ARRAY | VT_UI1;
  v.get().parray = SafeArrayCreateVector(VT_UI1, 5, 3);
  uint8_t* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(v.get().parray, reinterpret_cast<void**>(&data)), S_OK);
  data[0] = 1, data[1] = 2, data[2] = 3;
  ASSERT_EQ(SafeArrayUnaccessData(v.get().parray), S_OK);
  EXPECT_EQ(UpperBound(v.get().parray), 7);
  EXPECT_EQ(bkvp::ByteArrayOf(v.get()), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(ByteArrayVariant, OtherContentsAreRefused) {
  bkvp::Variant empty, text, v;
  text.get() = bkvp::MakeStringVariant("abc");
  EXPECT_FALSE(bkvp::ByteArrayOf(empty.get()));
  EXPECT_FALSE(bkvp::ByteArrayOf(text.get()));
  v.get().vt = VT_ARRAY | VT_UI1;  // without an array
  EXPECT_FALSE(bkvp::ByteArrayOf(v.get()));

  v.get() = bkvp::MakeByteArrayVariant(kBytes);
  v.get().vt = VT_ARRAY | VT_I4;
  EXPECT_FALSE(bkvp::ByteArrayOf(v.get()));
  // A descriptor claiming two dimensions is never read past its one bound.
  v.get().vt = VT_ARRAY | VT_UI1;
  v.get().parray->cDims = 2;
  EXPECT_FALSE(bkvp::ByteArrayOf(v.get()));
  LONG bound = 0;
  EXPECT_EQ(SafeArrayGetLBound(v.get().parray, 1, &bound), DISP_E_BADINDEX);
  v.get().parray->cDims = 1;
  EXPECT_EQ(SafeArrayGetUBound(v.get().parray, 2, &bound), DISP_E_BADINDEX);
}

TEST(SafeArray, OnlyByteVectorsWithRepresentableBoundsAreMade) {
  EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 4), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr);  // upper bound overflows
  SAFEARRAY* last = SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 1);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(SafeArrayDestroy(last), S_OK);
}

TEST(SafeArray, LockedArrayOutlivesDestroyAndClear) {
  VARIANT v = bkvp::MakeByteArrayVariant(kBytes);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);
  ASSERT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);  // locks nest
  EXPECT_EQ(SafeArrayDestroy(v.parray), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);  // still owns the array
  EXPECT_EQ(static_cast<uint8_t*>(data)[3], 0xFF);

  EXPECT_EQ(SafeArrayUnaccessData(v.parray), S_OK);
  EXPECT_EQ(SafeArrayDestroy(v.parray), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(v.parray), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(v.parray), E_UNEXPECTED);  // more unlocks than locks
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
}

}  // namespace
