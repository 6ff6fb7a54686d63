#include "app/engine/error_state.h"

#include "app/engine/program_settings.h"
#include "platform/registry.h"

namespace bkvp::engine {
namespace {

std::function<void(bool)>& Listener() {
  static std::function<void(bool)> listener;
  return listener;
}

}  // namespace

bool ErrorStateOn() { return platform::RegReadDword(ProgramKey(), "error").value_or(0) != 0; }

int DefaultTrayCommand() { return ErrorStateOn() ? kCommandViewLog : kCommandStepByStep; }

void SetErrorState(bool on, bool force) {
  if (!force && ErrorStateOn() == on) return;
  platform::RegWriteDword(ProgramKey(), "error", on ? 1 : 0);
  if (!on) platform::RegWriteDword(ScheduleKey(), "TaskStatus", kTaskCompleted);
  if (Listener()) Listener()(on);
}

void SetErrorStateListener(std::function<void(bool on)> listener) {
  Listener() = std::move(listener);
}

}  // namespace bkvp::engine
