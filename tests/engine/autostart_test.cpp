#include "app/engine/autostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::TempDir;

// Points XDG_CONFIG_HOME at a temporary folder for one test.
class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
  TempDir config_;
};

TEST_F(AutostartTest, EntryStartsTheProgramQuietlyAndQuotesAwkwardPaths) {
  EXPECT_EQ(AutostartEntryPath(), config_ / "autostart/BackupVopal.desktop");
  EXPECT_NE(
      AutostartEntryText("/opt/bv/bin/BackupVopal").find("\nExec=/opt/bv/bin/BackupVopal /q\n"),
      std::string::npos);
  // Quoted for the Exec rules, then each backslash doubled for the string value.
  EXPECT_NE(AutostartEntryText("/home/a b/50%$\"x/BackupVopal")
                .find("\nExec=\"/home/a b/50%%\\\\$\\\\\"x/BackupVopal\" /q\n"),
            std::string::npos);

  ASSERT_TRUE(UpdateAutostartEntry(true, "/opt/bv/bin/BackupVopal").ok());
  EXPECT_EQ(bkvp::testing::ReadFile(AutostartEntryPath()),
            AutostartEntryText("/opt/bv/bin/BackupVopal"));
  ASSERT_TRUE(UpdateAutostartEntry(false, "").ok());
  EXPECT_FALSE(std::ifstream(AutostartEntryPath()).good());
  EXPECT_TRUE(RemoveAutostartEntry().ok());  // nothing left to remove is fine
}

TEST_F(AutostartTest, UnwritableFolderIsReportedByName) {
  bkvp::testing::WriteFile(config_ / "autostart", "a file where the folder should be");
  const Status result = WriteAutostartEntry("/opt/bv/bin/BackupVopal");
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.message().find(config_ / "autostart"), std::string::npos) << result.message();
}

}  // namespace
}  // namespace bkvp::engine
