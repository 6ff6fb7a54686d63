// ProgressIndicator, the program's own IProgress: it moves the progress
// display (when there is one), answers questions (asking the user, or
// automatically in an unattended run) and writes the run's log lines.
//
// It also counts the objects the run saved or restored and those it could
// not, from the lines the archive service logs for each ("... OK",
// "... FAILED"), and it is where a cancel request is noticed: after an
// object's progress step or log line it throws the contract's error exception
// with E_ABORT, which ends the run the way a cancelled disk prompt does.
#pragma once

#include <functional>
#include <string>

#include "app/engine/cancel_request.h"
#include "app/engine/file_size_lookup.h"
#include "app/engine/progress_display.h"
#include "app/engine/run_log.h"
#include "contract/interfaces.h"
#include "contract/module.h"

namespace bkvp::engine {

class ProgressIndicator : public bkvp::DispatchObject<IProgress> {
 public:
  ProgressIndicator() = default;

  enum class Direction { kBackup, kRestore };
  // display, log and cancel may be null; they must outlive the run.
  void Init(ProgressDisplay* display, RunLog* log, LONG clientCount,
            const CancelRequest* cancel = nullptr, Direction direction = Direction::kBackup);
  // Answers Yes, without asking, whether a client's files may go back to
  // the folders the archive names (kPromptRestoreToSavedPlace): the person
  // said so before the restore began.
  void AgreeToSavedPlaces() { savedPlacesAgreed_ = true; }
  // Hears every line as it is logged (also without a log), for callers that
  // report what went wrong themselves.
  void SetLineListener(std::function<void(const std::string&)> listener) {
    lineListener_ = std::move(listener);
  }
  LONG position() const { return position_; }
  int objectsDone() const { return objectsDone_; }
  int objectsFailed() const { return objectsFailed_; }
  int objectsKept() const { return objectsKept_; }
  // Of the objects done, the symbolic links saved or restored as links.
  int linksDone() const { return linksDone_; }
  uint64_t bytesDone() const { return bytesDone_; }
  // The text of the last question or error report of the run; it usually
  // says why a stopped run stopped (a full disk, a missing medium).
  const std::string& lastQuestion() const { return lastQuestion_; }

  HRESULT Clean() override;
  HRESULT FirstStep(BSTR clientName, LONG totalWeight) override;
  HRESULT NextStep(BSTR objectName, LONG weight) override;
  HRESULT Message(BSTR msg) override;
  HRESULT Prompt(BSTR text, UINT type, INT* button) override;
  HRESULT ClientError(HRESULT errCode, BSTR errMsg, INT defaultButton, INT* button) override;

 private:
  void Log(const std::string& line);
  void LogQuestion(std::string text);
  void CountObject(const std::string& line);
  std::string ObjectNameOf(const std::string& line, size_t suffixSize);
  void StopIfCancelled() const;

  ProgressDisplay* display_ = nullptr;
  RunLog* log_ = nullptr;
  std::function<void(const std::string&)> lineListener_;
  LONG clientCount_ = 0;
  LONG totalWeight_ = 0;
  LONG position_ = 0;
  const CancelRequest* cancel_ = nullptr;
  int objectsDone_ = 0;
  int objectsFailed_ = 0;
  int objectsKept_ = 0;
  int linksDone_ = 0;
  uint64_t bytesDone_ = 0;
  Direction direction_ = Direction::kBackup;
  bool savedPlacesAgreed_ = false;
  std::string lastStepName_;  // the object a backup's next log line is about
  FileSizeLookup sizes_;
  std::string lastQuestion_;
};

// Unattended answers. Prompt: the style's default button (an unknown button
// set answers Cancel). ClientError: 0 Retry, 1 Ignore, 2 Cancel, 3 Abort,
// anything else -1.
int AutomaticPromptAnswer(unsigned style);
int AutomaticClientErrorAnswer(int defaultButton);
// "OK", "CANCEL", ... for the answer codes 1 to 7; "" for others.
std::string AnswerName(int answer);

// The program's component: ProgressIndicator under its class identifier and
// ProgIDs, in-process in the program's own file.
const bkvp::ModuleDefinition& ProgramComponent();

}  // namespace bkvp::engine
