#include "clients/common/running_program.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/processes.h"
#include "tests/clients/common/helper_process.h"
#include "tests/support/file_events.h"
#include "tests/support/test_support.h"

namespace bkvp::clients {
namespace {

using namespace std::chrono_literals;
using testing::HelperProcess;
using testing::TempDir;

TEST(FindRunningProgram, FindsProgramWhosePathContainsTheNameInAnyCase) {
  TempDir dir;
  HelperProcess helper(dir.path(), "msimn.exe.bak");
  const auto match = FindRunningProgram("MSIMN.EXE");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->processId, helper.pid());
  EXPECT_EQ(match->modulePath, helper.path());
  // A full module path found earlier matches that program exactly.
  const auto again = FindRunningProgram(helper.path());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->processId, helper.pid());
}

TEST(FindRunningProgram, ProgramThatEndedIsNoLongerFound) {
  TempDir dir;
  HelperProcess helper(dir.path(), "newsreader.exe");
  ASSERT_TRUE(FindRunningProgram(helper.path()));
  kill(helper.pid(), SIGKILL);
  // Exited but not yet collected by its parent: already gone for the search.
  ASSERT_TRUE(testing::WaitForExit(helper.pid()));
  EXPECT_FALSE(FindRunningProgram(helper.path()));
}

TEST(CloseProgramGracefully, PoliteProgramCloses) {
  TempDir dir;
  HelperProcess helper(dir.path(), "mailer.exe");
  EXPECT_TRUE(CloseProgramGracefully(helper.pid(), 5s));
  EXPECT_FALSE(platform::ProcessAlive(helper.pid()));
}

TEST(CloseProgramGracefully, ProgramIgnoringTheRequestIsTerminated) {
  TempDir dir;
  HelperProcess helper(dir.path(), "mailer.exe", {"--ignore-term"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(CloseProgramGracefully(helper.pid(), 300ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  EXPECT_TRUE(platform::ProcessAlive(helper.pid()));

  const auto match = FindRunningProgram(helper.path());
  ASSERT_TRUE(match);
  EXPECT_TRUE(TerminateProgram(*match, 5s, 50ms));
  EXPECT_FALSE(platform::ProcessAlive(helper.pid()));
}

TEST(CloseProgramGracefully, ProgramThatEndedBeforeBeingClosedCountsAsClosed) {
  TempDir dir;
  HelperProcess helper(dir.path(), "mailer.exe");
  const auto match = FindRunningProgram(helper.path());
  ASSERT_TRUE(match);
  kill(helper.pid(), SIGKILL);
  ASSERT_TRUE(helper.Reap());
  EXPECT_TRUE(CloseProgramGracefully(match->processId, 1s));
  EXPECT_TRUE(TerminateProgram(*match, 1s, 50ms));
  EXPECT_TRUE(CloseRunningProgram(*match, {1s, 1s, 50ms}));
}

TEST(TerminateProgram, GivesUpWhenTheProgramStaysAfterItsWait) {
  TempDir dir;
  // Two instances of one program: killing the matched one leaves the other
  // running, so the program is still found when the wait runs out.
  HelperProcess first(dir.path(), "browser.exe");
  HelperProcess second(dir.path(), "browser.exe");
  const ProcessMatch match{first.path(), first.pid()};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(TerminateProgram(match, 200ms, 50ms));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 200ms);
  EXPECT_LT(took, 3s);
  EXPECT_TRUE(platform::ProcessAlive(second.pid()));
}

TEST(TerminateProgram, ProcessIdNowHeldByAnotherProgramIsNotKilled) {
  TempDir dir;
  // The matched instance has gone and its id now names an unrelated program,
  // while another instance of the matched program still runs.
  HelperProcess stillRunning(dir.path(), "browser.exe");
  HelperProcess unrelated(dir.path(), "editor.exe");
  const ProcessMatch match{stillRunning.path(), unrelated.pid()};
  EXPECT_FALSE(TerminateProgram(match, 200ms, 50ms));
  EXPECT_TRUE(platform::ProcessAlive(unrelated.pid()));
  EXPECT_TRUE(platform::ProcessAlive(stillRunning.pid()));
}

TEST(RunningProgram, AnotherUsersProcessIsNeitherFoundNorSignalled) {
  if (getuid() != 0) GTEST_SKIP() << "starting a process as another user needs root";
  TempDir dir;
  HelperProcess foreign(dir.path(), "msimn.exe", {"--ignore-term"}, 65534);
  ASSERT_TRUE(platform::ProcessAlive(foreign.pid()));
  EXPECT_FALSE(FindRunningProgram(foreign.path()));
  EXPECT_FALSE(CloseProgramGracefully(foreign.pid(), 100ms));
  EXPECT_EQ(platform::Kill(foreign.pid()), platform::SignalOutcome::NotPermitted);
  EXPECT_TRUE(platform::ProcessAlive(foreign.pid()));
}

TEST(ShellOpen, StartsAnExecutableDetachedWithItsParameters) {
  TempDir dir;
  const std::string program = dir / "mailer.exe";
  std::filesystem::copy_file(testing::SleeperProgram(), program);
  ASSERT_TRUE(platform::ShellOpen(program, "--seconds \"5\""));
  ASSERT_TRUE(testing::WaitUntilRunning(program));
  // Not our child: once killed it disappears without being collected here.
  EXPECT_TRUE(TerminateProgram(*FindRunningProgram(program), 3s, 20ms));
}

}  // namespace
}  // namespace bkvp::clients
