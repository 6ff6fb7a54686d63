// What a backup run and a restore run share around the clients' work: the
// log, the progress object, the run's counts, the error state, how an error
// exception ends a run early (with its reason as the log's last line), and
// the time it took.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "app/engine/cancel_request.h"
#include "app/engine/progress_display.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/run_log.h"
#include "app/engine/run_outcome.h"
#include "contract/status.h"

namespace bkvp::engine {

class RunFrame {
 public:
  // What the run is called in sentences ("run", "restore"), what becomes
  // of its work when it ends early ("the archive was discarded") and, for a
  // backup, the folder its archive is written in, named when it is full.
  struct Naming {
    std::string what;
    std::string leftBehind;
    std::string archiveFolder;
  };

  // Opens the run's log, replacing the last one; the caller writes its
  // header. The progress object counts `clientCount` clients.
  RunFrame(RunOutcome& outcome, Naming naming, ProgressDisplay* display,
           const CancelRequest* cancel, int clientCount, ProgressIndicator::Direction direction);
  RunFrame(const RunFrame&) = delete;
  RunFrame& operator=(const RunFrame&) = delete;

  RunLog& log() { return log_; }
  ProgressIndicator& indicator() { return *indicator_.get(); }
  // Null when the progress object could not be had: the run cannot start.
  IProgress* progress() { return progress_.get(); }

  // Turns the error state on, once a run.
  void Fail();
  // Runs the clients' work. A failing Status from it means the run could
  // not start its work (kCouldNotStart); an error exception ends it early.
  // Either way the reason ends the log, and false comes back.
  bool Run(const std::function<Status()>& work);
  // A run that went to its end: failures of clients or objects, or none.
  // `nothingWritten` tells a backup that left no archive.
  void Completed(bool nothingWritten = false);
  // A run that stopped after its work, for `why` (a sentence for the log).
  void Stopped(const std::string& problem, const std::string& logLine);
  // The counts and the time into the outcome; the log closed, the progress
  // object cleaned.
  void Close();

 private:
  RunOutcome& outcome_;
  Naming naming_;
  const CancelRequest* cancel_;
  RunLog log_;
  ComPtr<ProgressIndicator> indicator_;
  ComPtr<IProgress> progress_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace bkvp::engine
