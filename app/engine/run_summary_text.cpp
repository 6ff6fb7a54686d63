#include "app/engine/run_summary_text.h"

#include <cstdio>

#include "app/engine/run_log.h"
#include "platform/byte_size.h"

namespace bkvp::engine {
namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

std::string Counted(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool Extraction(const RunSubject& subject) { return !subject.destination.empty(); }

std::string RunName(const RunSubject& subject) {
  if (subject.kind == RunKind::kBackup) return "backup";
  return Extraction(subject) ? "extraction" : "restore";
}

}  // namespace

std::string RunSummaryLine(const RunSubject& subject, const RunOutcome& outcome) {
  const bool backup = subject.kind == RunKind::kBackup;
  const std::string items = Counted(outcome.objectsDone, "item", "items") + " (" +
                            platform::ByteSize(outcome.bytesDone) + ")";
  std::string line;
  if (outcome.result == RunResult::kNothingWritten) {
    line = "Nothing was saved: the selected clients found nothing to back up.";
  } else if (backup) {
    line = "Saved " + items;
    if (!outcome.archivePath.empty())
      line +=
          " into " + outcome.archivePath + " (" + platform::ByteSize(outcome.archiveBytes) + ")";
    line += " in " + Seconds(outcome.seconds) + ".";
  } else {
    line = (Extraction(subject) ? "Extracted " : "Restored ") + items +
           (subject.source.empty() ? "" : " from " + subject.source) +
           (Extraction(subject) ? " into " + subject.destination : "") + " in " +
           Seconds(outcome.seconds) + ".";
  }
  if (outcome.linksDone > 0)
    line += " " + Counted(outcome.linksDone, "of them is a link.", "of them are links.");
  if (outcome.objectsKept > 0)
    line +=
        " " + Counted(outcome.objectsKept, "file kept as it was", "files kept as they were") + ".";
  if (outcome.objectsFailed > 0)
    line += " " + std::to_string(outcome.objectsFailed) +
            (backup                ? " not saved"
             : Extraction(subject) ? " not extracted"
                                   : " not restored") +
            (Extraction(subject) ? "" : "; see " + LogPath()) + ".";
  else if (outcome.clientsFailed > 0)
    line +=
        " " + std::to_string(outcome.clientsFailed) + " client(s) failed; see " + LogPath() + ".";
  return line;
}

std::string RunEndLine(const RunSubject& subject, const RunOutcome& outcome) {
  if (outcome.carriedOut()) return RunSummaryLine(subject, outcome);
  const std::string run = "The " + RunName(subject);
  switch (outcome.result) {
    case RunResult::kCouldNotStart:
      return run + " could not start: " + outcome.problem + ".";
    case RunResult::kCancelled:
      return run + " was cancelled.";
    default:
      return run + " did not complete: " + outcome.problem + ".";
  }
}

}  // namespace bkvp::engine
