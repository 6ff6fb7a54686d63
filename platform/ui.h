// Seams for the few places where the service layers need a user interface
// without knowing who shows it. The Qt program, the command line and the tests
// install their own implementations; the defaults answer as an unattended run.
#pragma once

#include <functional>
#include <string>

#pragma GCC visibility push(default)

namespace bkvp::platform::ui {

// Answer codes (dialog button identifiers).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message box styles: button set in the low nibble, icon in the second,
// default button index in the third.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;

// What the close countdown shows: a program is running and will be closed
// when the countdown ends.
struct CountdownRequest {
  std::string caption;      // window caption
  std::string runningText;  // "One or more instances of ... are currently running."
  std::string closingText;  // "... will be automatically closed in"
  int seconds = 60;         // starting value of the number field
  int tickMilliseconds = 5000;
};

struct Hooks {
  // Dispatch whatever user-interface events are waiting; must not block.
  std::function<void()> pumpMessages;
  // Show a message box; returns the answer code of the pressed button.
  std::function<int(const std::string& text, const std::string& caption, unsigned style)>
      messageBox;
  // Show the close countdown; returns IDOK (closed by the user or timed out) or IDCANCEL.
  std::function<int(const CountdownRequest&)> closeCountdown;
  // Tell the person something that is going on, without asking (a wait for
  // a resource another program holds). Must not block.
  std::function<void(const std::string& text)> notice;
};

// Replaces the hooks; empty members fall back to the defaults.
void InstallHooks(Hooks hooks);
void ResetHooks();

void PumpMessages();
int MessageBox(const std::string& text, const std::string& caption, unsigned style);
int CloseCountdown(const CountdownRequest& request);
// Without a hook the line goes to standard error.
void Notice(const std::string& text);

// The answer of an unattended run: the default button of the style's button
// set (set 0: OK; 1: OK, Cancel; 2: Abort, Retry, Ignore; 3: Yes, No, Cancel;
// 4: Yes, No; 5: Retry, Cancel). An index past the set takes its first button;
// an unknown set answers IDCANCEL.
int DefaultAnswer(unsigned style);

}  // namespace bkvp::platform::ui

#pragma GCC visibility pop
