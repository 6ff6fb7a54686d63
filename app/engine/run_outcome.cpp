#include "app/engine/run_outcome.h"

#include "app/engine/cancel_request.h"
#include "contract/com_types.h"

namespace bkvp::engine {

RunOutcome CouldNotStart(std::string why) {
  RunOutcome outcome;
  outcome.result = RunResult::kCouldNotStart;
  outcome.problem = std::move(why);
  return outcome;
}

EarlyEnd EndedEarly(int32_t hr, const CancelRequest* cancel, const std::string& what,
                    const std::string& leftBehind, const std::string& lastQuestion) {
  EarlyEnd end;
  if (hr == E_ABORT && cancel && cancel->requested()) {
    // A person who cancelled knows; a run ended by the system is reported
    // like any other that did not complete.
    const bool byUser = cancel->reason() == CancelRequest::Reason::kUser;
    const std::string how = byUser ? "cancelled" : "interrupted";
    end.result = RunResult::kCancelled;
    end.problem = "the " + what + " was " + how;
    end.logLine = "The " + what + " was " + how + "; " + leftBehind + ".\n";
    end.isFailure = !byUser;
  } else {
    end.result = RunResult::kStopped;
    end.problem = "the " + what + " was stopped";
    if (!lastQuestion.empty()) end.problem += " after \"" + lastQuestion + "\"";
    end.isFailure = Failed(hr);
  }
  return end;
}

}  // namespace bkvp::engine
