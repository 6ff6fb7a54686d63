// The error state: on after a client failed or a scheduled run failed or was
// cut off, off once the user looked at the log or started a new wizard. The
// registry value "error" carries it across restarts and between the tray
// program and the command line, so it is the state compared against.
#pragma once

#include <functional>

namespace bkvp::engine {

// Tray commands that become the default action.
constexpr int kCommandStepByStep = 0x8005;
constexpr int kCommandViewLog = 0x8007;

bool ErrorStateOn();
// The tray's default command for the stored state.
int DefaultTrayCommand();

// Acts only when the state changes (or when forced, as at start-up): stores
// "error" 1 or 0; turning it off also stores "TaskStatus" 2. The listener
// (the tray icon's blinking) hears every applied change.
void SetErrorState(bool on, bool force = false);
void SetErrorStateListener(std::function<void(bool on)> listener);

}  // namespace bkvp::engine
