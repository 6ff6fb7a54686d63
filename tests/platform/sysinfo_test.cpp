#include "platform/sysinfo.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::platform {
namespace {

using bkvp::testing::TempDir;

constexpr size_t kChunk = 64 * 1024;

void PutWord(std::vector<uint8_t>& data, size_t offset, uint32_t value) {
  if (data.size() < offset + 4) data.resize(offset + 4);
  for (int i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A fixed version block at offset: signature, structure version, file
// version 2.1 / 0.0, product version 0.2 / 0.1.
void PutBlock(std::vector<uint8_t>& data, size_t offset, uint32_t structVersion = 0x10000) {
  const uint32_t words[] = {kVersionSignature, structVersion, 0x00020001, 0x0,
                            0x00000002,        0x00000001};
  for (size_t i = 0; i < std::size(words); ++i) PutWord(data, offset + 4 * i, words[i]);
}

std::string WriteBytes(const TempDir& dir, const std::vector<uint8_t>& data) {
  const std::string path = dir / "program.exe";
  bkvp::testing::WriteFileBytes(path, data);
  return path;
}

TEST(VersionBlock, ScanFindsTheAlignedSignature) {
  std::vector<uint8_t> data(64, 0xAA);
  PutWord(data, 6, kVersionSignature);  // not on a word boundary: ignored
  PutBlock(data, 16);
  const auto block = ScanVersionBlock(data.data(), data.size());
  ASSERT_TRUE(block);
  EXPECT_EQ(block->structVersion, 0x10000u);
  EXPECT_EQ(block->fileHigh, 0x00020001u);
  EXPECT_EQ(block->productHigh, 2u);
  EXPECT_EQ(block->productLow, 1u);
}

TEST(VersionBlock, OldStructureVersionAndCutBlocksAreRefused) {
  std::vector<uint8_t> data(32, 0);
  PutBlock(data, 4, 41);
  EXPECT_FALSE(ScanVersionBlock(data.data(), data.size()));
  PutBlock(data, 4, 42);
  EXPECT_TRUE(ScanVersionBlock(data.data(), data.size()));
  EXPECT_FALSE(ScanVersionBlock(data.data(), 4 + 23));  // last word cut off
  EXPECT_FALSE(ScanVersionBlock(nullptr, 0));
}

TEST(VersionBlock, FileScanCarriesBlocksAcrossChunkBorders) {
  TempDir dir;
  // Signature in the last word of the first chunk, and the block split at every word.
  for (size_t offset = kChunk - 20; offset <= kChunk; offset += 4) {
    std::vector<uint8_t> data(3 * kChunk, 0x11);
    PutBlock(data, offset);
    const auto block = ReadFileVersionBlock(WriteBytes(dir, data));
    ASSERT_TRUE(block) << offset;
    EXPECT_EQ(block->productLow, 1u) << offset;
  }
}

TEST(VersionBlock, FileScanRefusesOldOrTruncatedBlocks) {
  TempDir dir;
  std::vector<uint8_t> data(kChunk + 100, 0);
  PutBlock(data, kChunk + 8, 41);
  EXPECT_FALSE(ReadFileVersionBlock(WriteBytes(dir, data)));

  data.assign(kChunk - 8, 0);
  PutBlock(data, kChunk - 8);
  data.resize(kChunk + 12);  // ends two words short of the block
  EXPECT_FALSE(ReadFileVersionBlock(WriteBytes(dir, data)));

  data.assign(10, 0);
  EXPECT_FALSE(ReadFileVersionBlock(WriteBytes(dir, data)));
  EXPECT_FALSE(ReadFileVersionBlock(dir / "missing.exe"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(SystemInfo, NamesMatchTheSystemTools) {
  EXPECT_EQ(UserName() + "\n", bkvp::testing::RunCommand("id -un").output);
  EXPECT_EQ(ComputerName() + "\n", bkvp::testing::RunCommand("hostname").output);
  EXPECT_EQ(GetOsVersion().platformId, 2u);
  EXPECT_EQ(GetOsVersion().major, 10u);
}

class WindowsDirectoryTest : public bkvp::testing::HomeFixture {};

TEST_F(WindowsDirectoryTest, ComesFromTheRegistryOrIsAbsent) {
  EXPECT_FALSE(WindowsDirectory());
  const char* key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  ASSERT_EQ(RegWriteString(key, "SystemRoot", "/opt/windows"), 0);
  EXPECT_EQ(WindowsDirectory().value_or(""), "/opt/windows");
}

}  // namespace
}  // namespace bkvp::platform
