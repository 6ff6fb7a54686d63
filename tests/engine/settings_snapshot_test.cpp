// Settings put back as a snapshot found them: values with their types, data
// and order, subkeys, and a key that was not there at all.
#include "app/engine/settings_snapshot.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using SettingsSnapshotTest = bkvp::testing::HomeFixture;

std::string Exported(const std::string& key) {
  std::string text;
  EXPECT_TRUE(platform::ExportRegText(key, text).ok);
  return text;
}

TEST_F(SettingsSnapshotTest, RestorePutsBackEveryKeyTreeByteForByte) {
  const std::string kept = "HKEY_CURRENT_USER\\SOFTWARE\\Test\\{A}";
  const std::string absent = "HKEY_CURRENT_USER\\SOFTWARE\\Test\\{B}";
  ASSERT_EQ(platform::RegWriteString(kept + "\\backuper", "file1", "second"), 0u);
  ASSERT_EQ(platform::RegWriteString(kept + "\\backuper", "file0", "first"), 0u);
  ASSERT_EQ(platform::RegWriteDword(kept + "\\restorer", "Overwrite", 1), 0u);
  ASSERT_EQ(platform::RegWriteBinary(kept, "Blob", {0, 1, 2, 0}), 0u);
  const std::string before = Exported(kept);
  const SettingsSnapshot snapshot = SettingsSnapshot::Take({kept, absent});

  // What a page would store: values changed, removed and added, keys added.
  ASSERT_EQ(platform::RegWriteString(kept + "\\backuper", "file0", "changed"), 0u);
  platform::RegKeyHandle key;
  ASSERT_EQ(platform::RegOpenKeyPath(kept + "\\backuper", key.out()), 0u);
  ASSERT_EQ(platform::RegDeleteValue(key.get(), "file1"), 0u);
  key.Reset();
  ASSERT_EQ(platform::RegWriteString(kept + "\\backuper", "file2", "/root"), 0u);
  ASSERT_EQ(platform::RegWriteDword(kept + "\\new", "x", 3), 0u);
  ASSERT_EQ(platform::RegWriteDword(absent + "\\restorer", "Overwrite", 1), 0u);

  ASSERT_TRUE(snapshot.Restore().ok());
  EXPECT_EQ(Exported(kept), before);
  EXPECT_NE(before.find("\"file1\"=\"second\"\n\"file0\"=\"first\""), std::string::npos) << before;
  EXPECT_EQ(platform::RegOpenKeyPath(absent, key.out()), platform::ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace bkvp::engine
