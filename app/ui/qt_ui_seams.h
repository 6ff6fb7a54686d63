// The Qt versions of the platform's UI seams: message boxes, the close
// countdown and message pumping, installed for the program's lifetime.
#pragma once

namespace bkvp::ui {

class QtUiSeams {
 public:
  QtUiSeams();
  ~QtUiSeams();
  QtUiSeams(const QtUiSeams&) = delete;
  QtUiSeams& operator=(const QtUiSeams&) = delete;
};

}  // namespace bkvp::ui
