// What the last backup and the last restore did, kept in the registry so that
// `bkvp status`, the tray's tooltip and a later session can say it. "TaskStatus"
// keeps its own meaning for the scheduler; this record adds the moment, the
// result and the reason.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "app/engine/run_outcome.h"
#include "contract/status.h"

namespace bkvp::engine {

enum class RunKind { kBackup, kRestore };

struct LastRun {
  std::time_t time = 0;
  RunResult result = RunResult::kSucceeded;
  std::string archivePath;  // written (backup) or read (restore); may be empty
  std::string problem;
  int objectsFailed = 0;
  bool scheduled = false;
  bool cutOff = false;  // found unfinished: the program or the machine stopped during it
};

// Missing or unreadable values give nullopt: no such run has been recorded.
// A record still waiting for the store (below) is the last run.
std::optional<LastRun> ReadLastRun(RunKind kind);
// kCannotWrite when the settings store would not take the record (another
// program held it past the wait): the record then waits in the program
// folder and is written by the next ReadLastRun or RecordLastRun that finds
// the store free.
Status RecordLastRun(RunKind kind, const LastRun& run);
LastRun LastRunFrom(const RunOutcome& outcome, std::time_t time, bool scheduled);
// Records the finished run; when the store would not take it, the run's log
// says so. Returns what RecordLastRun returned.
Status RecordFinishedRun(RunKind kind, const LastRun& run);
// The sentence a summary and a log give for a run whose record waits.
constexpr const char* kNotRecordedText =
    "This run could not be recorded: another program holds the settings store. It will be "
    "recorded once the store is free.";

// One line for people: "completed on Tuesday, December 08, 2026 10:00:00",
// "failed on ...: 3 files not saved", "No backup has run yet", "running now".
std::string DescribeLastRun(RunKind kind);
// What a finished run's outcome was, in a few words ("completed",
// "completed with failures", "cancelled", ...).
std::string ResultWords(RunResult result);

}  // namespace bkvp::engine
