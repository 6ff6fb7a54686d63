#include "app/engine/progress_indicator.h"

#include <algorithm>

#include "contract/identifiers.h"
#include "platform/ui.h"

namespace bkvp::engine {

void ProgressIndicator::Init(ProgressDisplay* display, RunLog* log, LONG clientCount) {
  display_ = display;
  log_ = log;
  clientCount_ = clientCount;
  totalWeight_ = 0;
  position_ = 0;
  if (display_) display_->SetPosition(0);
}

void ProgressIndicator::Log(const std::string& line) {
  if (log_) log_->Write(line + "\n");
}

HRESULT ProgressIndicator::Clean() { return S_OK; }

HRESULT ProgressIndicator::FirstStep(BSTR clientName, LONG totalWeight) {
  totalWeight_ = totalWeight;
  if (display_) display_->SetText(ToAnsi(clientName));
  return Message(clientName);
}

HRESULT ProgressIndicator::NextStep(BSTR objectName, LONG weight) {
  if (!display_) return S_OK;
  display_->SetText(ToAnsi(objectName));
  // A client announcing a total weight of 0 leaves the position where it is.
  const int64_t share = int64_t{totalWeight_} * clientCount_;
  if (share != 0) position_ += static_cast<LONG>(int64_t{weight} * 10000 / share);
  display_->SetPosition(std::clamp<LONG>(position_, 0, 10000));
  return S_OK;
}

HRESULT ProgressIndicator::Message(BSTR msg) {
  Log(ToAnsi(msg));
  return S_OK;
}

HRESULT ProgressIndicator::Prompt(BSTR text, UINT type, INT* button) {
  const std::string question = ToAnsi(text);
  const int answer =
      display_ ? display_->AskPrompt(question, kProgramCaption, type) : AutomaticPromptAnswer(type);
  if (button) *button = answer;
  Log(question + " -\"" + AnswerName(answer) + "\"");
  return S_OK;
}

HRESULT ProgressIndicator::ClientError(HRESULT, BSTR errMsg, INT defaultButton, INT* button) {
  const std::string message = ToAnsi(errMsg);
  const int answer = display_ ? display_->AskClientError(message, kProgramCaption, defaultButton)
                              : AutomaticClientErrorAnswer(defaultButton);
  if (button) *button = answer;
  Log(message + "   \"" + AnswerName(answer) + "\"");
  return S_OK;
}

int AutomaticPromptAnswer(unsigned style) { return platform::ui::DefaultAnswer(style); }

int AutomaticClientErrorAnswer(int defaultButton) {
  switch (defaultButton) {
    case 0:
      return IDRETRY;
    case 1:
      return IDIGNORE;
    case 2:
      return IDCANCEL;
    case 3:
      return IDABORT;
    default:
      return -1;
  }
}

std::string AnswerName(int answer) {
  static const char* const kNames[] = {"OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"};
  return answer >= 1 && answer <= 7 ? kNames[answer - 1] : "";
}

const bkvp::ModuleDefinition& ProgramComponent() {
  static const bkvp::ModuleDefinition module{
      "BackupVopal",
      LIBID_BackupVopalLib,
      {{CLSID_ProgressIndicator, "BackupVopalLib.ProgressIndicator", "ProgressIndicator Class",
        &bkvp::CreateObject<ProgressIndicator>}},
      std::nullopt};
  return module;
}

HRESULT RegisterProgramComponent(const std::string& programPath) {
  return bkvp::RegisterModule(ProgramComponent(), programPath);
}

HRESULT UnregisterProgramComponent() { return bkvp::UnregisterModule(ProgramComponent()); }

}  // namespace bkvp::engine
