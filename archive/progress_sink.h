// The service's side of IProgress: UTF-8 in, BSTRs out, and a missing sink
// answered the safe way (no log, prompts cancelled) so that no path can spin.
#pragma once

#include <string>
#include <string_view>

#include "contract/bstr.h"
#include "contract/interfaces.h"

namespace bkvp::archive {

class ProgressSink {
 public:
  // Held without a reference: the caller keeps the sink alive.
  void Set(IProgress* progress) { progress_ = progress; }
  IProgress* get() const { return progress_; }

  void FirstStep(std::string_view clientName, LONG totalWeight) const {
    if (progress_) progress_->FirstStep(Bstr(clientName).get(), totalWeight);
  }
  void NextStep(std::string_view objectName, LONG weight) const {
    if (progress_) progress_->NextStep(Bstr(objectName).get(), weight);
  }
  void Message(std::string_view text) const {
    if (progress_) progress_->Message(Bstr(text).get());
  }
  // The pressed button; Cancel when there is nobody to ask.
  int Prompt(std::string_view text, UINT style) const {
    INT button = IDCANCEL;
    if (progress_ && Failed(progress_->Prompt(Bstr(text).get(), style, &button))) button = IDCANCEL;
    return button;
  }
  // The chosen answer; 0 (stop retrying) when there is nobody to ask.
  int ClientError(HRESULT code, std::string_view text, INT defaultButton) const {
    INT button = 0;
    if (progress_ && Failed(progress_->ClientError(code, Bstr(text).get(), defaultButton, &button)))
      button = 0;
    return button;
  }

 private:
  IProgress* progress_ = nullptr;
};

}  // namespace bkvp::archive
