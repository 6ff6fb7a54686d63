#include "app/ui/qt_progress_display.h"

#include "app/ui/client_error_dialog.h"

namespace bkvp::ui {

int QtProgressDisplay::AskClientError(const std::string& text, const std::string&,
                                      int defaultButton) {
  return ClientErrorDialog::Ask(text, defaultButton);
}

}  // namespace bkvp::ui
