#include "app/engine/progress_indicator.h"

#include <algorithm>
#include <utility>

#include "app/engine/program_texts.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace bkvp::engine {

void ProgressIndicator::Init(ProgressDisplay* display, RunLog* log, LONG clientCount,
                             const CancelRequest* cancel, Direction direction) {
  display_ = display;
  log_ = log;
  clientCount_ = clientCount;
  cancel_ = cancel;
  direction_ = direction;
  bytesDone_ = 0;
  lastStepName_.clear();
  totalWeight_ = 0;
  position_ = 0;
  objectsDone_ = objectsFailed_ = objectsKept_ = linksDone_ = 0;
  if (display_) display_->SetPosition(0);
}

// Names inside a line are the user's file names: a line break in one would
// otherwise start a line of its own, so control characters are escaped.
// Questions are texts of their own with line breaks between sentences;
// those become spaces.
void ProgressIndicator::Log(const std::string& line) {
  const std::string shown = platform::EscapeControls(line);
  if (log_) log_->Write(shown + "\n");
  if (lineListener_) lineListener_(shown);
}

void ProgressIndicator::LogQuestion(std::string text) { Log(platform::OneLine(text)); }

namespace {

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

// The archive service logs a saved object after its progress step ("File
// Backup <path> OK") and a restored one by its target ("<target> OK") before
// the step to the next one.
std::string ProgressIndicator::ObjectNameOf(const std::string& line, size_t suffixSize) {
  if (direction_ == Direction::kRestore) return line.substr(0, line.size() - suffixSize);
  return std::exchange(lastStepName_, std::string());
}

void ProgressIndicator::CountObject(const std::string& line) {
  if (EndsWith(line, kKeptLineEnd)) {
    ++objectsKept_;
    return;
  }
  const bool link = EndsWith(line, kLinkLineEnd);
  const bool ok = EndsWith(line, " OK");
  if (!ok && !EndsWith(line, " FAILED")) return;
  const std::string name = ObjectNameOf(line, link ? std::string_view(kLinkLineEnd).size()
                                              : ok ? 3
                                                   : 7);
  uint64_t bytes = 0;
  if (ok) {
    ++objectsDone_;
    linksDone_ += link;
    if (!name.empty() && !link) bytes = sizes_.SizeOf(name);
    bytesDone_ += bytes;
  } else {
    ++objectsFailed_;
  }
  if (display_ && !name.empty()) display_->ObjectDone(name, ok, bytes);
}

void ProgressIndicator::StopIfCancelled() const {
  if (cancel_ && cancel_->requested()) throw ComError(E_ABORT);
}

HRESULT ProgressIndicator::Clean() { return S_OK; }

HRESULT ProgressIndicator::FirstStep(BSTR clientName, LONG totalWeight) {
  totalWeight_ = totalWeight;
  if (display_) display_->SetText(ToAnsi(clientName));
  // A client's section begins: what the log holds so far reaches the file.
  if (log_) log_->Flush();
  return Message(clientName);
}

HRESULT ProgressIndicator::NextStep(BSTR objectName, LONG weight) {
  lastStepName_ = ToAnsi(objectName);
  if (display_) {
    display_->SetText(lastStepName_);
    // A client announcing a total weight of 0 leaves the position where it is.
    const int64_t share = int64_t{totalWeight_} * clientCount_;
    if (share != 0) position_ += static_cast<LONG>(int64_t{weight} * 10000 / share);
    display_->SetPosition(std::clamp<LONG>(position_, 0, 10000));
  }
  StopIfCancelled();
  return S_OK;
}

HRESULT ProgressIndicator::Message(BSTR msg) {
  const std::string line = ToAnsi(msg);
  Log(line);
  CountObject(line);
  StopIfCancelled();
  return S_OK;
}

HRESULT ProgressIndicator::Prompt(BSTR text, UINT type, INT* button) {
  const std::string question = ToAnsi(text);
  lastQuestion_ = question;
  // The log is complete on disk while the question waits for an answer.
  if (log_) log_->Flush();
  const int answer = savedPlacesAgreed_ && type == kPromptRestoreToSavedPlace ? IDYES
                     : display_ ? display_->AskPrompt(question, kProgramCaption, type)
                                : AutomaticPromptAnswer(type);
  if (button) *button = answer;
  LogQuestion(question + " -\"" + AnswerName(answer) + "\"");
  return S_OK;
}

HRESULT ProgressIndicator::ClientError(HRESULT, BSTR errMsg, INT defaultButton, INT* button) {
  const std::string message = ToAnsi(errMsg);
  lastQuestion_ = message;
  if (log_) log_->Flush();
  const int answer = display_ ? display_->AskClientError(message, kProgramCaption, defaultButton)
                              : AutomaticClientErrorAnswer(defaultButton);
  if (button) *button = answer;
  LogQuestion(message + "   \"" + AnswerName(answer) + "\"");
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

}  // namespace bkvp::engine
