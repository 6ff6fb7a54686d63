// Registry keys saved with their whole subtree and written back elsewhere,
// through the real registry store.
#include "archive/registry_capture.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

using archive::JoinKeyPath;

constexpr const char* kSoftware = "HKEY_CURRENT_USER\\Software\\";

TEST(JoinKeyPath, JoinsWithOneBackslash) {
  EXPECT_EQ(JoinKeyPath("", "b"), "b");
  EXPECT_EQ(JoinKeyPath("a", ""), "a");
  EXPECT_EQ(JoinKeyPath("a\\", "b"), "a\\b");
  EXPECT_EQ(JoinKeyPath("a", "b\\c"), "a\\b\\c");
}

class RegistryCapture : public HomeFixture {
 protected:
  // Saves each key as one registry key object and parses the archive.
  plain::Archive Save(const std::vector<std::string>& keys) {
    WriterHarness w;
    EXPECT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    for (const auto& key : keys) EXPECT_EQ(w.Key(key), S_OK);
    w.End();
    w.Finish();
    std::string error;
    auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(plain::Archive());
  }
  TempDir dir;
  std::string archivePath = dir / "Vopalarc000001.KV";
};

TEST_F(RegistryCapture, SubtreeIsSavedInPreOrderAndRestoredBelowAnotherKey) {
  const std::string a = std::string(kSoftware) + "A";
  platform::RegWriteString(a, "", "default");
  platform::RegWriteDword(a + "\\B", "Count", 42);
  platform::RegWriteBinary(a + "\\B", "Empty", {});
  platform::RegWriteString(a + "\\B\\C", "Deep", "deep value");
  platform::RegWriteString(a + "\\D", "Last", "d");

  const auto parsed = Save({a});
  const auto& blocks = parsed.sections.at(0).records.at(0).blocks;
  std::vector<std::string> names;
  for (const auto& b : blocks) names.push_back(b.relativeName);
  EXPECT_EQ(names, (std::vector<std::string>{"", "B", "B\\C", "D"}));
  ASSERT_EQ(blocks[0].values.size(), 1u);
  EXPECT_EQ(blocks[0].values[0].name, "");  // stored with M = 1
  EXPECT_EQ(blocks[1].values[0].type, 4u);
  EXPECT_EQ(blocks[1].values[0].data.size(), 4u);
  EXPECT_EQ(blocks[1].values[1].data.size(), 0u);

  // Restore merges into an existing target.
  const std::string x = std::string(kSoftware) + "X";
  platform::RegWriteString(x + "\\B", "Untouched", "stays");
  platform::RegWriteDword(x + "\\B", "Count", 1);
  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath), S_OK);
  r.Iterate(kClsidA);
  ASSERT_EQ(r.RestoreKey(x), S_OK);
  EXPECT_EQ(platform::RegReadString(x, ""), "default");
  EXPECT_EQ(platform::RegReadDword(x + "\\B", "Count"), 42u);
  EXPECT_EQ(platform::RegReadBinary(x + "\\B", "Empty"), std::vector<uint8_t>());
  EXPECT_EQ(platform::RegReadString(x + "\\B\\C", "Deep"), "deep value");
  EXPECT_EQ(platform::RegReadString(x + "\\D", "Last"), "d");
  EXPECT_EQ(platform::RegReadString(x + "\\B", "Untouched"), "stays");
}

TEST_F(RegistryCapture, MissingKeyIsCreatedAndUnknownRootSavesNothing) {
  const std::string missing = std::string(kSoftware) + "NotThere";
  const auto parsed = Save({missing, "HKEY_CLASSES_ROOT\\Something", "HKEY_CURRENT_USER"});
  const auto& records = parsed.sections.at(0).records;
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_EQ(records[i].blocks.size(), 1u);
    EXPECT_EQ(records[i].blocks[0].relativeName, "");
    EXPECT_TRUE(records[i].blocks[0].values.empty());
    EXPECT_EQ(records[i].data, std::string("\1\0\0\0\0\0\0\0\0", 9));
  }
  std::vector<std::string> saved;
  for (const auto& b : records[2].blocks) saved.push_back(b.relativeName);
  EXPECT_NE(std::find(saved.begin(), saved.end(), "Software\\NotThere"), saved.end());

  platform::HKEY key = nullptr;
  EXPECT_EQ(platform::RegOpenKeyPath(missing, &key), platform::ERROR_SUCCESS);
  platform::RegCloseKey(key);

  // Restoring below an unknown root sets nothing and does not fail.
  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath), S_OK);
  r.Iterate(kClsidA);
  r.api->Next();
  r.api->Next();
  EXPECT_EQ(r.RestoreKey("HKEY_CLASSES_ROOT\\Copy"), S_OK);
  EXPECT_TRUE(platform::RegListSubKeys("HKEY_CLASSES_ROOT").empty());
}

TEST_F(RegistryCapture, ValueLargerThanAnyBufferComesBackWithTheValuesAfterIt) {
  const std::string big = std::string(kSoftware) + "Big";
  std::vector<uint8_t> data(17u << 20);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  platform::RegWriteBinary(big, "Large", data);
  platform::RegWriteString(big, "After", "small");
  Save({big});

  const std::string copy = std::string(kSoftware) + "BigCopy";
  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath), S_OK);
  r.Iterate(kClsidA);
  ASSERT_EQ(r.RestoreKey(copy), S_OK);
  EXPECT_EQ(platform::RegReadBinary(copy, "Large"), data);
  EXPECT_EQ(platform::RegReadString(copy, "After"), "small");
  EXPECT_EQ(r.progress->messages, (std::vector<std::string>{copy + " OK"}));
}

}  // namespace
}  // namespace bkvp::testing
