// Before a restore: ask the user to close the program until it is closed or
// the user cancels.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "contract/interfaces.h"

namespace bkvp::clients {

// A run without a display answers every question itself (OK), so asking
// could go on for ever while the program keeps running. After each answer the
// program gets `settle` to go away (polled every `poll`); after `maxRounds`
// answers with the program still there the loop gives up as if cancelled.
struct AskLimits {
  int maxRounds = 10;
  std::chrono::milliseconds settle{3000};
  std::chrono::milliseconds poll{250};
};

// While programInTheWay() is true: Prompt(question, 0x31). Cancel, or
// maxRounds rounds without success: Message(cancelText) and E_FAIL. S_OK as
// soon as programInTheWay() is false.
HRESULT AskWhile(IProgress* progress, const std::function<bool()>& programInTheWay,
                 const std::string& question, const std::string& cancelText,
                 const AskLimits& limits = {});

// AskWhile with "FindRunningProgram(moduleName) finds it".
HRESULT AskUntilClosed(IProgress* progress, std::string_view moduleName,
                       const std::string& question, const std::string& cancelText,
                       const AskLimits& limits = {});

}  // namespace bkvp::clients
