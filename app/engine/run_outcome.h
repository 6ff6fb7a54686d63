// What a backup or restore run did, in one type that every front end reads:
// the command line turns it into a summary and an exit status, the program
// into its finish page and tray state.
#pragma once

#include <cstdint>
#include <string>

namespace bkvp::engine {

enum class RunResult {
  kSucceeded,       // every selected client did its work and no object failed
  kFailures,        // carried out, but clients or objects failed (the log names them)
  kNothingWritten,  // a backup carried out that left no archive: nothing was saved
  kStopped,         // an error ended the run early; a backup's archive was discarded
  kCancelled,       // cancelled by the user or a signal; a backup's archive was discarded
  kCouldNotStart,   // nothing was done; `problem` says why
};

struct RunOutcome {
  RunResult result = RunResult::kCouldNotStart;
  std::string problem;      // why it could not start, or what stopped it
  std::string archivePath;  // a backup's archive; empty when none was kept
  int clientsRun = 0;
  int clientsFailed = 0;       // their Backup or Restore returned a failure
  int objectsDone = 0;         // files, keys and strings saved or restored
  int objectsFailed = 0;       // files, keys and strings not saved or not restored
  int objectsKept = 0;         // existing files the user chose to keep as they were
  uint64_t bytesDone = 0;      // size of the files saved or restored
  uint64_t archiveBytes = 0;   // a backup's archive, as written
  std::string remote;          // the rclone remote the archive was sent to; empty when none
  uint64_t uploadedBytes = 0;  // what was sent there
  double seconds = 0;          // how long the run took
  bool errorStateSet = false;  // the run turned the error state on
  // False when the settings store would not take the run's record (another
  // program held it); the record is written once the store is free.
  bool recorded = true;

  bool succeeded() const { return result == RunResult::kSucceeded; }
  // The run went through to its end, with or without failures.
  bool carriedOut() const {
    return result == RunResult::kSucceeded || result == RunResult::kFailures ||
           result == RunResult::kNothingWritten;
  }
};

RunOutcome CouldNotStart(std::string why);

class CancelRequest;

// How an error exception that ended a run early is reported. `hr` is the
// exception's status; `what` names the run ("run", "restore") and
// `leftBehind` what became of its work ("the archive was discarded");
// `lastQuestion`, when not empty, is the question whose answer stopped it.
struct EarlyEnd {
  RunResult result = RunResult::kStopped;
  std::string problem;
  std::string logLine;     // with its line break; empty when none
  bool isFailure = false;  // turns the error state on
};
EarlyEnd EndedEarly(int32_t hr, const CancelRequest* cancel, const std::string& what,
                    const std::string& leftBehind, const std::string& lastQuestion = "");

}  // namespace bkvp::engine
