#include "app/engine/progress_display.h"

#include <algorithm>

#include "platform/ui.h"

namespace bkvp::engine {

void ProgressDisplay::Transfer(const std::string& what, uint64_t done, uint64_t total, double) {
  SetPosition(total ? int(10000 * std::min(done, total) / total) : 0);
  SetText(what);
}

int ProgressDisplay::AskPrompt(const std::string& text, const std::string& caption,
                               unsigned style) {
  return platform::ui::MessageBox(text, caption, style);
}

int ProgressDisplay::AskClientError(const std::string& text, const std::string& caption,
                                    int defaultButton) {
  // The standard boxes have no four-button set; Abort, Retry, Ignore comes
  // closest, with the client's default preselected.
  const unsigned defaultIndex = defaultButton == 1 ? 2 : defaultButton == 3 ? 0 : 1;
  return platform::ui::MessageBox(
      text, caption,
      platform::ui::MB_ABORTRETRYIGNORE | platform::ui::MB_ICONSTOP | (defaultIndex << 8));
}

}  // namespace bkvp::engine
