#include "platform/ui.h"

#include <cstdio>
#include <iterator>
#include <mutex>

namespace bkvp::platform::ui {

namespace {

std::mutex hooksMutex;
Hooks installedHooks;

// A copy taken under the lock, so that a hook may replace the hooks while it
// runs (a message box pumping messages, say) without pulling itself away.
Hooks CurrentHooks() {
  std::lock_guard<std::mutex> lock(hooksMutex);
  return installedHooks;
}

}  // namespace

void InstallHooks(Hooks hooks) {
  std::lock_guard<std::mutex> lock(hooksMutex);
  installedHooks = std::move(hooks);
}

void ResetHooks() { InstallHooks(Hooks{}); }

void PumpMessages() {
  const Hooks hooks = CurrentHooks();
  if (hooks.pumpMessages) hooks.pumpMessages();
}

int MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  const Hooks hooks = CurrentHooks();
  if (hooks.messageBox) return hooks.messageBox(text, caption, style);
  return DefaultAnswer(style);
}

int CloseCountdown(const CountdownRequest& request) {
  const Hooks hooks = CurrentHooks();
  if (hooks.closeCountdown) return hooks.closeCountdown(request);
  return IDOK;  // nobody to ask: the countdown runs out at once
}

void Notice(const std::string& text) {
  const Hooks hooks = CurrentHooks();
  if (hooks.notice)
    hooks.notice(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

int DefaultAnswer(unsigned style) {
  static constexpr int kOk[] = {IDOK};
  static constexpr int kOkCancel[] = {IDOK, IDCANCEL};
  static constexpr int kAbortRetryIgnore[] = {IDABORT, IDRETRY, IDIGNORE};
  static constexpr int kYesNoCancel[] = {IDYES, IDNO, IDCANCEL};
  static constexpr int kYesNo[] = {IDYES, IDNO};
  static constexpr int kRetryCancel[] = {IDRETRY, IDCANCEL};
  struct ButtonSet {
    const int* answers;
    unsigned count;
  };
  static constexpr ButtonSet kSets[] = {
      {kOk, 1},          {kOkCancel, 2}, {kAbortRetryIgnore, 3},
      {kYesNoCancel, 3}, {kYesNo, 2},    {kRetryCancel, 2},
  };
  const unsigned set = style & 0xF;
  if (set >= std::size(kSets)) return IDCANCEL;
  const unsigned index = (style >> 8) & 0xF;
  return kSets[set].answers[index < kSets[set].count ? index : 0];
}

}  // namespace bkvp::platform::ui
