#include "app/engine/scheduler.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/engine/error_state.h"
#include "app/engine/last_run.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/engine/engine_doubles.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::ReadFile;
using bkvp::testing::RecordingBackuper;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

class SchedulerTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    record.timeOfDay = uint32_t(now);  // daily at the time of `now`
    ASSERT_TRUE(SaveSchedule(record, destination.path() + "/", {}, now - 60).ok());
    scheduler.SetBackuperFactory([this](ComPtr<IBackuper>& out) {
      ++backupsStarted;
      out = ComPtr<IBackuper>::Attach(new RecordingBackuper);
      return S_OK;
    });
  }
  uint32_t TaskStatus() { return ReadTaskStatus(); }
  uint32_t TaskTime() { return ProgramSettings::Load(0).taskTime; }

  std::time_t now = 1700000000;  // 14 November 2023
  ScheduleRecord record;
  TempDir destination;
  Scheduler scheduler{[this] { return now; }};
  int backupsStarted = 0;
};

TEST_F(SchedulerTest, ADueRunCompletesAndMovesTheNextRunOn) {
  ASSERT_EQ(TaskTime(), uint32_t(now));
  const TickReport tick = scheduler.Tick();
  EXPECT_EQ(tick.outcome, TickOutcome::kRunCompleted);
  EXPECT_EQ(backupsStarted, 1);
  EXPECT_EQ(TaskStatus(), kTaskCompleted);
  EXPECT_EQ(TaskTime(), uint32_t(now + 86400));
  EXPECT_EQ(tick.taskTime, now + 86400);
  // The log says it was a scheduled run.
  EXPECT_NE(ReadFile(LogPath()).find("Schedule:   every day at "), std::string::npos);
}

TEST_F(SchedulerTest, ANextRunTheStoreWouldNotTakeIsKeptAndNotRunAgainAtEveryTick) {
  // Another program holds the settings store for writing, and this one gives
  // up on it at once.
  setenv("BKVP_STORE_WAIT_MS", "0", 1);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((platform::RegistryFolder() + "HKEY_CURRENT_USER.db").c_str(), &other),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  const TickReport tick = scheduler.Tick();
  EXPECT_EQ(tick.outcome, TickOutcome::kRunCompleted);
  EXPECT_EQ(tick.nextRunStored.code(), Status::Code::kCannotWrite);
  EXPECT_EQ(tick.taskTime, now + 86400);
  // The stored moment is still this one; the scheduler knows better.
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kNotDue);
  EXPECT_EQ(backupsStarted, 1);

  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  unsetenv("BKVP_STORE_WAIT_MS");
  EXPECT_NE(ReadFile(LogPath()).find("The next run could not be stored"), std::string::npos);
}

TEST_F(SchedulerTest, NothingRunsBeforeTheTaskTime) {
  now -= 30;
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kNotDue);
  EXPECT_EQ(backupsStarted, 0);
}

TEST_F(SchedulerTest, NothingRunsWhileDisabledOrWhileTheWizardIsOpen) {
  scheduler.SetWizardOpen(true);
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kBusy);
  scheduler.SetWizardOpen(false);
  ASSERT_TRUE(WriteScheduleEnabled(false).ok());
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kDisabled);
  EXPECT_EQ(backupsStarted, 0);
}

TEST_F(SchedulerTest, ARunRecordedAsRunningIsTurnedIntoAFailure) {
  SetTaskStatus(kTaskRunning);
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kInterruptedFound);
  EXPECT_EQ(TaskStatus(), kTaskIdleOrFailed);
  EXPECT_TRUE(ErrorStateOn());
  EXPECT_EQ(backupsStarted, 0);
  // The next tick runs the due backup.
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kRunCompleted);
}

TEST_F(SchedulerTest, ARunThatCannotStartKeepsTheTaskTimeForTheNextTick) {
  scheduler.SetBackuperFactory([](ComPtr<IBackuper>&) { return REGDB_E_CLASSNOTREG; });
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kRunFailed);
  EXPECT_EQ(TaskStatus(), kTaskIdleOrFailed);
  EXPECT_TRUE(ErrorStateOn());
  EXPECT_EQ(TaskTime(), uint32_t(now));
}

TEST_F(SchedulerTest, ARunHeldByAnotherProcessIsNotMistakenForACutOffOne) {
  SetTaskStatus(kTaskRunning);
  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  const pid_t child = fork();
  if (child == 0) {
    auto lock = RunLock::TryAcquire();
    char c = lock ? 'y' : 'n';
    [[maybe_unused]] ssize_t w = write(toParent[1], &c, 1);
    [[maybe_unused]] ssize_t r = read(toChild[0], &c, 1);
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(read(toParent[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  std::string why;
  EXPECT_FALSE(RunLock::TryAcquire(&why));
  EXPECT_NE(why.find("in progress"), std::string::npos);
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kBusy);
  EXPECT_FALSE(CheckForInterruptedRun());
  EXPECT_EQ(TaskStatus(), kTaskRunning);
  char go = 'x';
  ASSERT_EQ(write(toChild[1], &go, 1), 1);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(RunLock::TryAcquire().has_value());
}

TEST_F(SchedulerTest, OneRunAtATimeWithinTheProcess) {
  auto first = RunLock::TryAcquire();
  ASSERT_TRUE(first);
  EXPECT_TRUE(RunInProgress());
  EXPECT_FALSE(RunLock::TryAcquire());
}

TEST_F(SchedulerTest, ACutOffRunAppendsTheBannerAndTurnsTheErrorStateOn) {
  WriteFile(LogPath(), "This is a Backup Vopal log file.\n");
  SetTaskStatus(kTaskRunning);
  ASSERT_TRUE(CheckForInterruptedRun());
  const std::string banner =
      "\n! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- ! --- !\n"
      "Backup did not complete properly.";
  EXPECT_EQ(ReadFile(LogPath()), "This is a Backup Vopal log file.\n" + banner);
  EXPECT_TRUE(ErrorStateOn());
  // Settled once: the status and the last-run record say so, and a second
  // look (the next tick, bkvp status) finds nothing more to report.
  EXPECT_EQ(TaskStatus(), kTaskIdleOrFailed);
  EXPECT_NE(DescribeLastRun(RunKind::kBackup).find("cut off"), std::string::npos);
  EXPECT_FALSE(CheckForInterruptedRun());
  EXPECT_EQ(ReadFile(LogPath()), "This is a Backup Vopal log file.\n" + banner);
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kRunCompleted);
}

TEST_F(SchedulerTest, TurningTheErrorStateOffMarksTheLastRunCompleted) {
  std::vector<bool> heard;
  SetErrorStateListener([&](bool on) { heard.push_back(on); });
  SetErrorState(true);
  SetErrorState(true);  // no change: nothing happens
  SetTaskStatus(kTaskIdleOrFailed);
  SetErrorState(false);
  SetErrorStateListener(nullptr);
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));
  EXPECT_EQ(TaskStatus(), kTaskCompleted);
  EXPECT_EQ(platform::RegReadDword(ProgramKey(), "error"), 0u);
}

TEST_F(SchedulerTest, AScheduleWithoutRunDaysIsDisabledWithALogLine) {
  ScheduleRecord never;
  never.kind = kWeekly;
  const Result<std::time_t> saved = SaveSchedule(never, "/tmp/", {}, now);
  EXPECT_EQ(saved.status().code(), Status::Code::kInvalid);
  EXPECT_FALSE(ProgramSettings::Load(now).scheduleEnabled);
  EXPECT_NE(ReadFile(LogPath()).find("has no run day"), std::string::npos);
}

TEST_F(SchedulerTest, TaskTimeIsReadAsAnUnsignedNumber) {
  ASSERT_TRUE(WriteTaskTime(0x90000000u).ok());  // beyond 2038 as a signed number would be negative
  EXPECT_EQ(ProgramSettings::Load(now).taskTime, 0x90000000u);
  EXPECT_EQ(scheduler.Tick().outcome, TickOutcome::kNotDue);
}

TEST_F(SchedulerTest, SettingsFallBackToTheirDefaults) {
  platform::RegWriteBinary(ScheduleKey(), "Settings", std::vector<uint8_t>(31, 1));
  platform::RegWriteString(ProgramKey(), "Client1", "{A}");
  platform::RegWriteString(ProgramKey(), "Client2", "");
  platform::RegWriteString(ProgramKey(), "Client3", "{C}");
  const ProgramSettings s = ProgramSettings::Load(12345);
  EXPECT_EQ(s.schedule.kind, kDaily);
  EXPECT_EQ(s.schedule.timeOfDay, 12345u);
  EXPECT_EQ(s.clients, std::vector<std::string>{"{A}"});
  ASSERT_TRUE(WriteClientSelection(ProgramKey(), {"{X}"}).ok());
  EXPECT_EQ(ReadClientSelection(ProgramKey()), std::vector<std::string>{"{X}"});
}

}  // namespace
}  // namespace bkvp::engine
