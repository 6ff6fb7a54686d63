// The base of every Qt progress display (the wizard's finish pages): the
// questions of a run are asked with the program's dialogs, dialog 189 for a
// client's error and the styled message box for the rest.
#pragma once

#include "app/engine/progress_display.h"

namespace bkvp::ui {

class QtProgressDisplay : public engine::ProgressDisplay {
 public:
  int AskClientError(const std::string& text, const std::string& caption,
                     int defaultButton) override;
};

}  // namespace bkvp::ui
