#include "clients/common/ask_until_closed.h"

#include <gtest/gtest.h>

#include "tests/clients/common/helper_process.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_support.h"

namespace bkvp::clients {
namespace {

using namespace std::chrono_literals;
using testing::RecordingProgress;

const AskLimits kQuick = {5, 30ms, 5ms};

TEST(AskUntilClosed, ProgramNotRunningProceedsWithoutAsking) {
  RecordingProgress progress;
  EXPECT_EQ(AskUntilClosed(&progress, "no-such-program-7f3a.exe", "close it", "canceled", kQuick),
            S_OK);
  EXPECT_TRUE(progress.prompts.empty());
  EXPECT_TRUE(progress.messages.empty());
}

TEST(AskUntilClosed, AsksAgainUntilTheProgramIsGone) {
  RecordingProgress progress;
  bool closedByUser = false;
  // The user closes the program only after the second question.
  const auto inTheWay = [&] {
    if (progress.prompts.size() >= 2) closedByUser = true;
    return !closedByUser;
  };
  EXPECT_EQ(AskWhile(&progress, inTheWay, "close it", "canceled", kQuick), S_OK);
  ASSERT_EQ(progress.prompts.size(), 2u);
  EXPECT_EQ(progress.prompts[0].text, "close it");
  EXPECT_EQ(progress.prompts[0].type, 0x31u);
  EXPECT_TRUE(progress.messages.empty());
}

TEST(AskUntilClosed, CancelEndsWithTheCancelText) {
  RecordingProgress progress;
  progress.promptAnswers = {IDOK, IDCANCEL};
  EXPECT_EQ(AskWhile(
                &progress, [] { return true; }, "close it", "canceled", kQuick),
            E_FAIL);
  EXPECT_EQ(progress.prompts.size(), 2u);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"canceled"}));
}

TEST(AskUntilClosed, UnattendedAnswersStopAfterBoundedRoundsWhileTheProgramRuns) {
  testing::TempDir dir;
  testing::HelperProcess helper(dir.path(), "msimn.exe");
  RecordingProgress progress;  // answers OK to everything, like a run without a display
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AskUntilClosed(&progress, "msimn.exe", "close it", "Operation canceled", kQuick),
            E_FAIL);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(progress.prompts.size(), 5u);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"Operation canceled"}));
}

}  // namespace
}  // namespace bkvp::clients
