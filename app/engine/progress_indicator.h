// ProgressIndicator, the program's own IProgress: it moves the progress
// display (when there is one), answers questions (asking the user, or
// automatically in an unattended run) and writes the run's log lines.
#pragma once

#include <string>

#include "app/engine/progress_display.h"
#include "app/engine/run_log.h"
#include "contract/interfaces.h"
#include "contract/module.h"

namespace bkvp::engine {

class ProgressIndicator : public bkvp::DispatchObject<IProgress> {
 public:
  ProgressIndicator() = default;

  // display and log may be null; both must outlive the run.
  void Init(ProgressDisplay* display, RunLog* log, LONG clientCount);
  LONG position() const { return position_; }

  HRESULT Clean() override;
  HRESULT FirstStep(BSTR clientName, LONG totalWeight) override;
  HRESULT NextStep(BSTR objectName, LONG weight) override;
  HRESULT Message(BSTR msg) override;
  HRESULT Prompt(BSTR text, UINT type, INT* button) override;
  HRESULT ClientError(HRESULT errCode, BSTR errMsg, INT defaultButton, INT* button) override;

 private:
  void Log(const std::string& line);

  ProgressDisplay* display_ = nullptr;
  RunLog* log_ = nullptr;
  LONG clientCount_ = 0;
  LONG totalWeight_ = 0;
  LONG position_ = 0;
};

constexpr const char* kProgramCaption = "Backup Vopal";
constexpr const char* kComponentsDamagedText =
    "Some components of the Backup Vopal are damaged. Please uninstall and install Backup Vopal "
    "again";

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
HRESULT RegisterProgramComponent(const std::string& programPath);
HRESULT UnregisterProgramComponent();

}  // namespace bkvp::engine
