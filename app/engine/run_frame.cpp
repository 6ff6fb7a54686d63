#include "app/engine/run_frame.h"

#include "app/engine/error_state.h"
#include "app/engine/last_good_backup.h"
#include "contract/errors.h"
#include "platform/errors.h"

namespace bkvp::engine {

RunFrame::RunFrame(RunOutcome& outcome, Naming naming, ProgressDisplay* display,
                   const CancelRequest* cancel, int clientCount,
                   ProgressIndicator::Direction direction)
    : outcome_(outcome), naming_(std::move(naming)), cancel_(cancel) {
  log_.Create();
  indicator_ = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator_->Init(display, &log_, clientCount, cancel, direction);
  progress_ = indicator_.As<IProgress>();
}

void RunFrame::Fail() {
  if (!outcome_.errorStateSet) SetErrorState(true);
  outcome_.errorStateSet = true;
}

bool RunFrame::Run(const std::function<Status()>& work) {
  try {
    const Status done = work();
    if (done.ok()) return true;
    outcome_.result = RunResult::kCouldNotStart;
    outcome_.problem = done.message();
    log_.Write("The " + naming_.what + " could not start: " + done.message() + ".\n");
  } catch (const ComError& e) {
    EarlyEnd end = EndedEarly(e.Error(), cancel_, naming_.what, naming_.leftBehind,
                              indicator_->lastQuestion());
    // The person cancelled the question to clear space: the end says where
    // there was no room, not the question again.
    if (e.Error() == StatusOfSystemError(platform::ERROR_DISK_FULL) &&
        !naming_.archiveFolder.empty())
      end.problem = FullFolderProblem(naming_.archiveFolder);
    outcome_.result = end.result;
    outcome_.problem = end.problem;
    log_.Write(!end.logLine.empty() ? end.logLine
                                    : "The " + naming_.what + " stopped: " + end.problem + "; " +
                                          naming_.leftBehind + ".\n");
    if (!end.isFailure) return false;
  } catch (...) {
    // Anything else thrown across the interfaces ends the run as a failure.
    outcome_.result = RunResult::kStopped;
    outcome_.problem = "a client ended the " + naming_.what + " with an unexpected error";
    log_.Write("The " + naming_.what + " stopped: " + outcome_.problem + "; " + naming_.leftBehind +
               ".\n");
  }
  Fail();
  return false;
}

void RunFrame::Completed(bool nothingWritten) {
  const bool failures = outcome_.clientsFailed > 0 || indicator_->objectsFailed() > 0;
  // An object that could not be saved or restored is a failure of the run
  // even when its client carried on.
  if (failures) Fail();
  outcome_.result = failures         ? RunResult::kFailures
                    : nothingWritten ? RunResult::kNothingWritten
                                     : RunResult::kSucceeded;
}

void RunFrame::Stopped(const std::string& problem, const std::string& logLine) {
  outcome_.result = RunResult::kStopped;
  outcome_.problem = problem;
  log_.Write(logLine);
  Fail();
}

void RunFrame::Close() {
  outcome_.objectsDone = indicator_->objectsDone();
  outcome_.objectsFailed = indicator_->objectsFailed();
  outcome_.objectsKept = indicator_->objectsKept();
  outcome_.linksDone = indicator_->linksDone();
  outcome_.bytesDone = indicator_->bytesDone();
  log_.Close();
  if (outcome_.succeeded()) ForgetEarlierLog();
  if (progress_) progress_->Clean();
  outcome_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

}  // namespace bkvp::engine
