#include "cli/run_summary.h"

#include <cstdio>
#include <iostream>

#include "app/engine/last_run.h"
#include "app/engine/run_log.h"
#include "app/engine/run_summary_text.h"
#include "cli/signals.h"

namespace bkvp::cli::front {
namespace {

using engine::RunResult;

std::string ResultName(RunResult result) {
  switch (result) {
    case RunResult::kSucceeded:
      return "succeeded";
    case RunResult::kFailures:
      return "failures";
    case RunResult::kNothingWritten:
      return "nothing-saved";
    case RunResult::kStopped:
      return "stopped";
    case RunResult::kCancelled:
      return "cancelled";
    case RunResult::kCouldNotStart:
      return "could-not-start";
  }
  return "";
}

std::string SummaryLine(const RunReport& report, const engine::RunOutcome& outcome) {
  engine::RunSubject subject;
  subject.kind = report.kind == TerminalFrontEnd::Kind::kBackup ? engine::RunKind::kBackup
                                                                : engine::RunKind::kRestore;
  subject.source = report.source;
  subject.destination = report.destination;
  std::string line = engine::RunSummaryLine(subject, outcome);
  if (outcome.objectsKept > 0) line += " Use --overwrite to replace them.";
  return line;
}

void PrintJson(const RunReport& report, const engine::RunOutcome& outcome) {
  std::cout << "{\"command\":" << JsonString(report.command)
            << ",\"result\":" << JsonString(ResultName(outcome.result)) << ",\"archive\":"
            << JsonString(report.source.empty() ? outcome.archivePath : report.source)
            << ",\"items\":" << outcome.objectsDone << ",\"failed\":" << outcome.objectsFailed
            << ",\"kept\":" << outcome.objectsKept << ",\"links\":" << outcome.linksDone
            << ",\"clients\":" << outcome.clientsRun
            << ",\"clientsFailed\":" << outcome.clientsFailed << ",\"bytes\":" << outcome.bytesDone
            << ",\"archiveBytes\":" << outcome.archiveBytes
            << ",\"remote\":" << JsonString(outcome.remote)
            << ",\"uploadedBytes\":" << outcome.uploadedBytes << ",\"seconds\":" << outcome.seconds
            << ",\"problem\":" << JsonString(outcome.problem)
            << ",\"recorded\":" << (outcome.recorded ? "true" : "false")
            << ",\"log\":" << JsonString(engine::LogPath()) << "}\n";
}

}  // namespace

const std::vector<OptionDefinition>& SummaryOptions() {
  static const std::vector<OptionDefinition> options = {{"--quiet"}, {"--json"}};
  return options;
}

SummaryStyle SummaryStyleOf(const Options& options) {
  if (options.Has("--json")) return SummaryStyle::kJson;
  if (options.Has("--quiet")) return SummaryStyle::kQuiet;
  return SummaryStyle::kLine;
}

int FinishRun(const RunReport& report, const engine::RunOutcome& outcome) {
  if (report.style == SummaryStyle::kJson) PrintJson(report, outcome);
  if (!outcome.recorded && report.style != SummaryStyle::kJson)
    Fail(report.command, engine::kNotRecordedText, 0);
  if (outcome.carriedOut()) {
    if (report.style == SummaryStyle::kLine) std::cout << SummaryLine(report, outcome) << "\n";
    if (report.style == SummaryStyle::kQuiet) {
      if (!outcome.archivePath.empty()) std::cout << outcome.archivePath << "\n";
      if (outcome.result == RunResult::kFailures)
        Fail(report.command, SummaryLine(report, outcome), 0);
    }
    if (report.cancelledAtQuestion)
      Fail(report.command,
           "cancelled after replacing " + std::to_string(report.filesReplaced) + " file(s)", 0);
    return outcome.result == RunResult::kFailures ? kExitFailures : 0;
  }
  std::string problem = outcome.problem;
  if (report.filesReplaced > 0)
    problem += "; " + std::to_string(report.filesReplaced) + " file(s) had already been replaced";
  if (report.style != SummaryStyle::kJson || outcome.result == RunResult::kCouldNotStart)
    Fail(
        report.command,
        problem +
            (outcome.result == RunResult::kCouldNotStart ? "" : " (see " + engine::LogPath() + ")"),
        0);
  switch (outcome.result) {
    case RunResult::kCouldNotStart:
      return kExitCannotStart;
    case RunResult::kCancelled:
      return ExitStatusAfterSignal(kExitFailures);
    default:
      return kExitFailures;
  }
}

}  // namespace bkvp::cli::front
