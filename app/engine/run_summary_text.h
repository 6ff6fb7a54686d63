// The one line that tells how a run ended, the same on every face: the
// command line prints it, the wizard's finish page shows it, and a tray
// notification carries it.
#pragma once

#include <string>

#include "app/engine/last_run.h"
#include "app/engine/run_outcome.h"

namespace bkvp::engine {

// What the line is about besides the outcome: a restore's archive, and the
// folder an extraction wrote into (which makes it an extraction).
struct RunSubject {
  RunKind kind = RunKind::kBackup;
  std::string source;
  std::string destination;
};

// For a run that was carried out: "Saved 12 items (4.0 KiB) into /b/VOPALARC...KV
// (1.2 KiB) in 0.3 s. 2 of them are links.", "Restored 3 items (...) from ... in 0.1 s. 1 file kept
// as it was.", with the failed objects or clients and where the log is.
std::string RunSummaryLine(const RunSubject& subject, const RunOutcome& outcome);

// Any outcome in one sentence: the summary line for a run that was carried
// out, otherwise what happened and why ("The backup could not start: ...",
// "The restore was cancelled.").
std::string RunEndLine(const RunSubject& subject, const RunOutcome& outcome);

}  // namespace bkvp::engine
