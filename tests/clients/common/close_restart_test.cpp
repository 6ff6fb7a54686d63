#include "clients/common/close_restart.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/processes.h"
#include "tests/clients/common/helper_process.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_support.h"

namespace bkvp::clients {
namespace {

using namespace std::chrono_literals;
using testing::HelperProcess;
using testing::RecordingProgress;

const CloseRestartTexts kTexts = {"Outlook",   "running",   "canceled",      "failed",
                                  "succeeded", "restarted", "restart failed"};
const CloseWaits kShortWaits = {500ms, 1s, 50ms};

class CloseRestartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ui::Hooks hooks;
    hooks.closeCountdown = [this](const platform::ui::CountdownRequest&) {
      ++countdowns;
      return countdownAnswer;
    };
    platform::ui::InstallHooks(hooks);
  }
  void TearDown() override { platform::ui::ResetHooks(); }

  testing::TempDir dir;
  RecordingProgress progress;
  int countdowns = 0;
  int countdownAnswer = IDOK;
};

TEST_F(CloseRestartTest, ProgramNotRunningNeedsNothing) {
  ClosedProgram closed;
  EXPECT_EQ(
      CloseBeforeBackup(&progress, "no-such-program-7f3a.exe", false, kTexts, kShortWaits, &closed),
      S_OK);
  EXPECT_FALSE(closed.wasRunning);
  EXPECT_TRUE(progress.messages.empty());
  EXPECT_EQ(countdowns, 0);
  RestartAfterBackup(&progress, closed, {true, true}, kTexts);
  EXPECT_TRUE(progress.messages.empty());
}

TEST_F(CloseRestartTest, AutoCloseClosesAtOnceWithoutCountdown) {
  HelperProcess helper(dir.path(), "mailer.exe");
  ClosedProgram closed;
  EXPECT_EQ(CloseBeforeBackup(&progress, "MAILER.EXE", true, kTexts, kShortWaits, &closed), S_OK);
  EXPECT_EQ(countdowns, 0);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"running", "succeeded"}));
  EXPECT_TRUE(closed.wasRunning);
  EXPECT_EQ(closed.modulePath, helper.path());
  EXPECT_FALSE(platform::ProcessAlive(helper.pid()));
}

TEST_F(CloseRestartTest, CountdownRefusedLeavesTheProgramRunning) {
  HelperProcess helper(dir.path(), "mailer.exe");
  countdownAnswer = IDCANCEL;
  ClosedProgram closed;
  EXPECT_EQ(CloseBeforeBackup(&progress, "mailer.exe", false, kTexts, kShortWaits, &closed),
            E_FAIL);
  EXPECT_EQ(countdowns, 1);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"running", "canceled"}));
  EXPECT_FALSE(closed.wasRunning);
  EXPECT_TRUE(platform::ProcessAlive(helper.pid()));
}

TEST_F(CloseRestartTest, CountdownRunOutClosesEvenAProgramIgnoringTheRequest) {
  HelperProcess helper(dir.path(), "mailer.exe", {"--ignore-term"});
  ClosedProgram closed;
  EXPECT_EQ(CloseBeforeBackup(&progress, "mailer.exe", false, kTexts, kShortWaits, &closed), S_OK);
  EXPECT_EQ(countdowns, 1);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"running", "succeeded"}));
  EXPECT_FALSE(platform::ProcessAlive(helper.pid()));
}

TEST_F(CloseRestartTest, RestartsOnlyWhenBothSwitchesAreOnAndTheRunClosedIt) {
  const std::string program = dir / "mailer.exe";
  std::filesystem::copy_file(testing::SleeperProgram(), program);
  const ClosedProgram closed{true, program};

  RestartAfterBackup(&progress, closed, {false, true}, kTexts);
  RestartAfterBackup(&progress, closed, {true, false}, kTexts);
  RestartAfterBackup(&progress, ClosedProgram{false, program}, {true, true}, kTexts);
  EXPECT_TRUE(progress.messages.empty());
  EXPECT_FALSE(FindRunningProgram(program));

  RestartAfterBackup(&progress, closed, {true, true}, kTexts, "--seconds 5");
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"restarted"}));
  ASSERT_TRUE(testing::WaitUntilRunning(program));
  EXPECT_TRUE(TerminateProgram(*FindRunningProgram(program), 3s, 20ms));

  progress.messages.clear();
  RestartAfterBackup(&progress, ClosedProgram{true, dir / "gone/mailer.exe"}, {true, true}, kTexts);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"restart failed"}));
}

}  // namespace
}  // namespace bkvp::clients
