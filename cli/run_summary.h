// How a backup or restore run is told when it ends: one summary line on
// stdout (or only the archive's path with --quiet, or JSON with --json for
// scripts), what went wrong on stderr, and the exit status.
#pragma once

#include <string>

#include "app/engine/run_outcome.h"
#include "cli/engine_cli.h"
#include "cli/terminal_ui.h"

namespace bkvp::cli::front {

enum class SummaryStyle { kLine, kQuiet, kJson };
// --quiet and --json, which every running command accepts.
const std::vector<OptionDefinition>& SummaryOptions();
SummaryStyle SummaryStyleOf(const Options& options);

struct RunReport {
  std::string command;  // "backup", "restore", "tick"
  TerminalFrontEnd::Kind kind = TerminalFrontEnd::Kind::kBackup;
  SummaryStyle style = SummaryStyle::kLine;
  std::string source;       // a restore's or an extraction's archive
  std::string destination;  // an extraction's folder
  int filesReplaced = 0;
  bool cancelledAtQuestion = false;
};

// Prints the end of a run and returns the exit status: 0 when everything
// was done, 1 when something failed or the run stopped, 2 when it could not
// start, 128 + the signal that interrupted it.
int FinishRun(const RunReport& report, const engine::RunOutcome& outcome);

}  // namespace bkvp::cli::front
