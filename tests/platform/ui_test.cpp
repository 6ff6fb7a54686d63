#include "platform/ui.h"

#include <gtest/gtest.h>

namespace bkvp::platform::ui {
namespace {

class UiHooksTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetHooks(); }
};

TEST(UiDefaultAnswer, TakesTheDefaultButtonOfTheSet) {
  EXPECT_EQ(DefaultAnswer(MB_OK | MB_ICONSTOP), IDOK);
  EXPECT_EQ(DefaultAnswer(0x111), IDCANCEL);  // stop icon, OK/Cancel, second button
  EXPECT_EQ(DefaultAnswer(0x133), IDNO);      // exclamation, Yes/No/Cancel, second button
  EXPECT_EQ(DefaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(DefaultAnswer(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
  EXPECT_EQ(DefaultAnswer(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3), IDIGNORE);
  EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(DefaultAnswer(MB_RETRYCANCEL), IDRETRY);
}

TEST(UiDefaultAnswer, OutOfRangeIndexTakesFirstAndUnknownSetCancels) {
  EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_DEFBUTTON3), IDYES);
  EXPECT_EQ(DefaultAnswer(MB_OK | 0xF00), IDOK);
  EXPECT_EQ(DefaultAnswer(0x6), IDCANCEL);  // a set with a Continue button
  EXPECT_EQ(DefaultAnswer(0xF), IDCANCEL);
}

TEST_F(UiHooksTest, UnattendedDefaultsAnswerWithoutAsking) {
  PumpMessages();
  EXPECT_EQ(MessageBox("Disk full", "Backup Vopal", 0x133), IDNO);
  EXPECT_EQ(CloseCountdown(CountdownRequest{}), IDOK);
}

TEST_F(UiHooksTest, InstalledHooksAnswerAndEmptyOnesFallBack) {
  int pumped = 0;
  std::string seen;
  Hooks hooks;
  hooks.pumpMessages = [&] { ++pumped; };
  hooks.messageBox = [&](const std::string& text, const std::string& caption, unsigned style) {
    seen = caption + ": " + text + " " + std::to_string(style);
    return IDRETRY;
  };
  InstallHooks(hooks);
  PumpMessages();
  EXPECT_EQ(pumped, 1);
  EXPECT_EQ(MessageBox("Try again?", "Backup Vopal", MB_RETRYCANCEL), IDRETRY);
  EXPECT_EQ(seen, "Backup Vopal: Try again? 5");
  EXPECT_EQ(CloseCountdown(CountdownRequest{}), IDOK);  // not installed: default

  ResetHooks();
  EXPECT_EQ(MessageBox("x", "y", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
  PumpMessages();
  EXPECT_EQ(pumped, 1);
}

}  // namespace
}  // namespace bkvp::platform::ui
