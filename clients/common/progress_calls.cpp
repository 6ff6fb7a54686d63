#include "clients/common/progress_calls.h"

#include "contract/bstr.h"

namespace bkvp::clients {

void SendMessage(IProgress* progress, std::string_view text) {
  if (!progress) return;
  Bstr message(text);
  progress->Message(message.get());
}

void LogObjectFailure(IProgress* progress, const std::string& name, const std::string& why) {
  SendMessage(progress, name + " FAILED");
  if (!why.empty()) SendMessage(progress, name + ": " + why + ".");
}

int AskPrompt(IProgress* progress, std::string_view text, UINT style) {
  if (!progress) return 0;
  Bstr question(text);
  INT button = 0;
  if (Failed(progress->Prompt(question.get(), style, &button))) return 0;
  return button;
}

}  // namespace bkvp::clients
