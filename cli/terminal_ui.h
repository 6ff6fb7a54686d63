// The terminal face of a run: a progress bar, questions asked on the
// terminal, and the close countdown. Installed only when stdin and stdout
// are terminals and --unattended was not given; otherwise every question
// gets the automatic answer of an unattended run.
#pragma once

#include <memory>

#include "app/engine/progress_display.h"

namespace bkvp::cli::front {

class TerminalDisplay;

class TerminalFrontEnd {
 public:
  enum class Kind { kBackup, kRestore };
  TerminalFrontEnd(bool unattended, Kind kind);
  ~TerminalFrontEnd();
  TerminalFrontEnd(const TerminalFrontEnd&) = delete;
  TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

  // The run's display, or null for an unattended run.
  engine::ProgressDisplay* display();
  // Draws the bar's last state (100 % for a run that was carried out) and
  // ends its line, so that what follows starts on a line of its own.
  void Finish(bool carriedOut);
  // How many "already exists" questions were answered with Yes or All, and
  // whether one was answered with Cancel.
  int filesReplaced() const;
  bool cancelledAtQuestion() const;

 private:
  std::unique_ptr<TerminalDisplay> display_;
};

}  // namespace bkvp::cli::front
