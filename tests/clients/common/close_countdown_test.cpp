#include "clients/common/close_countdown.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace bkvp::clients {
namespace {

using platform::ui::IDCANCEL;
using platform::ui::IDOK;

TEST(CountdownTimer, CountsDownInFiveSecondStepsAndRunsOutAfterTwelveTicks) {
  CountdownTimer timer;
  EXPECT_EQ(timer.Shown(), 60);
  std::vector<int> shown;
  int ticks = 0;
  bool expired = false;
  while (!expired && ticks < 100) {
    expired = timer.Tick();
    ++ticks;
    shown.push_back(timer.Shown());
  }
  EXPECT_EQ(ticks, 12);
  EXPECT_EQ(shown, (std::vector<int>{55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5, 0}));
}

// A face of the dialog scripted with the button pressed during each tick.
struct ScriptedFace {
  std::deque<int> answers;  // 0: no button during that tick
  std::vector<int> shown;
  int waited = 0;
  int Run(const platform::ui::CountdownRequest& request) {
    return RunCountdown(
        request, [&](int value) { shown.push_back(value); },
        [&](int ms) {
          waited += ms;
          if (answers.empty()) return 0;
          const int a = answers.front();
          answers.pop_front();
          return a;
        });
  }
};

TEST(RunCountdown, NobodyPressingAButtonEndsWithOkAfterTheWholeCountdown) {
  ScriptedFace face;
  EXPECT_EQ(face.Run(MakeCountdownRequest("Outlook")), IDOK);
  EXPECT_EQ(face.waited, 60000);
  EXPECT_EQ(face.shown.front(), 60);
  EXPECT_EQ(face.shown.back(), 0);
}

TEST(RunCountdown, ButtonsEndTheCountdownEarly) {
  ScriptedFace cancel{{0, 0, IDCANCEL}};
  EXPECT_EQ(cancel.Run(MakeCountdownRequest("Outlook")), IDCANCEL);
  EXPECT_EQ(cancel.shown, (std::vector<int>{60, 55, 50}));

  ScriptedFace ok{{0, IDOK}};
  EXPECT_EQ(ok.Run(MakeCountdownRequest("Outlook")), IDOK);
  EXPECT_EQ(ok.waited, 10000);

  ScriptedFace closedWindow{{platform::ui::IDABORT}};
  EXPECT_EQ(closedWindow.Run(MakeCountdownRequest("Outlook")), IDCANCEL);
}

TEST(CloseCountdownDialog, ShowsTheProgramsTextsAndTakesOnlyOkAsAgreement) {
  platform::ui::CountdownRequest seen;
  int answer = IDOK;
  platform::ui::Hooks hooks;
  hooks.closeCountdown = [&](const platform::ui::CountdownRequest& request) {
    seen = request;
    return answer;
  };
  platform::ui::InstallHooks(hooks);
  EXPECT_EQ(CloseCountdownDialog("Netscape"), IDOK);
  EXPECT_EQ(seen.caption, "Netscape");
  EXPECT_EQ(seen.runningText, "One or more instances of Netscape are currently running.");
  EXPECT_EQ(seen.closingText, "Netscape will be automatically closed in");
  EXPECT_EQ(seen.seconds, 60);
  EXPECT_EQ(seen.tickMilliseconds, 5000);
  answer = 0;
  EXPECT_EQ(CloseCountdownDialog("Netscape"), IDCANCEL);
  platform::ui::ResetHooks();
}

TEST(CloseCountdownDialog, UnattendedRunGetsTheTimedOutResult) {
  platform::ui::ResetHooks();
  EXPECT_EQ(CloseCountdownDialog("Outlook"), IDOK);
}

}  // namespace
}  // namespace bkvp::clients
