// For scripts/screenshots only: BKVP_SCREENSHOT_SHOW names one dialog
// ("countdown", "client-error", "about", "log") that the program shows
// without waiting, with sample texts, so that it can be photographed; "tick"
// runs the scheduler's check at once instead of a minute after the start,
// so that a due backup runs and ends with its notification. Nothing else
// sets that variable.
#pragma once

namespace bkvp::ui {

class HiddenWindow;

void ShowDialogForScreenshot(HiddenWindow& window);

}  // namespace bkvp::ui
