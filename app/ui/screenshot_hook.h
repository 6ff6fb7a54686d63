// For scripts/screenshots only: BKVP_SCREENSHOT_SHOW names one dialog
// ("countdown", "client-error", "about") that the program shows without
// waiting, with sample texts, so that it can be photographed. Nothing else
// sets that variable.
#pragma once

#include <QObject>

namespace bkvp::ui {

void ShowDialogForScreenshot(QObject* owner);

}  // namespace bkvp::ui
