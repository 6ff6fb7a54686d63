// The clients' calls on IProgress with module text; a null progress object
// is tolerated (nothing is said, nothing is answered).
#pragma once

#include <string>
#include <string_view>

#include "contract/interfaces.h"

namespace bkvp::clients {

// Prompt styles the clients use: exclamation icon with OK and Cancel, or
// with Yes and No.
constexpr UINT kPromptOkCancel = 0x31;
constexpr UINT kPromptYesNo = 0x34;

void SendMessage(IProgress* progress, std::string_view text);
// An object that was not saved or restored: "<name> FAILED", which counts
// it, then "<name>: <why>." when there is a reason to give.
void LogObjectFailure(IProgress* progress, const std::string& name, const std::string& why);
// The answer code of the pressed button; 0 when nothing answered.
int AskPrompt(IProgress* progress, std::string_view text, UINT style);

}  // namespace bkvp::clients
