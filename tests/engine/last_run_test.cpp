// The record of the last run when another program holds the settings store:
// the run says it could not be recorded, and the record reaches the store
// once it is free.
#include "app/engine/last_run.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>

#include "app/engine/run_log.h"
#include "contract/identifiers.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

class LastRunRecord : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    // Give up on a held store at once instead of after the usual wait.
    setenv("BKVP_STORE_WAIT_MS", "0", 1);
  }
  void TearDown() override {
    unsetenv("BKVP_STORE_WAIT_MS");
    HomeFixture::TearDown();
  }
};

TEST_F(LastRunRecord, ARunTheHeldStoreWouldNotTakeIsRecordedOnceItIsFree) {
  LastRun earlier;
  earlier.time = 1000;
  ASSERT_TRUE(RecordLastRun(RunKind::kBackup, earlier).ok());
  RunLog log;
  ASSERT_TRUE(log.Create());
  log.Close();

  // Another program holds the store for writing.
  sqlite3* other = nullptr;
  const std::string hive = platform::RegistryFolder() + "HKEY_CURRENT_USER.db";
  ASSERT_EQ(sqlite3_open(hive.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  LastRun run;
  run.time = 2000;
  run.result = RunResult::kFailures;
  run.archivePath = "/backups/VOPALARC373E05.KV";
  run.problem = "two lines\nof reason";
  run.objectsFailed = 3;
  EXPECT_EQ(RecordFinishedRun(RunKind::kBackup, run).code(), Status::Code::kCannotWrite);
  EXPECT_NE(bkvp::testing::ReadFile(LogPath()).find(kNotRecordedText), std::string::npos);
  // Whoever asks meanwhile hears of the run all the same.
  const auto meanwhile = ReadLastRun(RunKind::kBackup);
  ASSERT_TRUE(meanwhile);
  EXPECT_EQ(meanwhile->time, 2000);

  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  const auto read = ReadLastRun(RunKind::kBackup);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->problem, "two lines\nof reason");
  EXPECT_EQ(read->archivePath, run.archivePath);
  EXPECT_EQ(read->objectsFailed, 3);
  // Now in the store itself.
  EXPECT_EQ(platform::RegReadDword(std::string(kProgramKey) + "\\History", "BackupTime"), 2000u);
}

}  // namespace
}  // namespace bkvp::engine
