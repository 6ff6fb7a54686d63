// The terminal face of a run: a progress bar, questions asked on the
// terminal, and the close countdown. Installed only when stdin and stdout
// are terminals and --unattended was not given; otherwise every question
// gets the automatic answer of an unattended run.
#pragma once

#include <memory>

#include "app/engine/progress_display.h"

namespace bkvp::cli::front {

class TerminalFrontEnd {
 public:
  explicit TerminalFrontEnd(bool unattended);
  ~TerminalFrontEnd();
  TerminalFrontEnd(const TerminalFrontEnd&) = delete;
  TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

  // The run's display, or null for an unattended run.
  engine::ProgressDisplay* display() { return display_.get(); }

 private:
  std::unique_ptr<engine::ProgressDisplay> display_;
};

}  // namespace bkvp::cli::front
