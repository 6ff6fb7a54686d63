#include "cli/signals.h"

#include <signal.h>

#include <atomic>

namespace bkvp::cli::front {
namespace {

engine::CancelRequest gCancel;
std::atomic<int> gSignal{0};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[3];

void OnSignal(int signal) {
  gSignal.store(signal);
  // Ctrl-C is the person at the terminal; the others come from the system
  // (a logout, a shutdown, kill) and end the run as interrupted.
  gCancel.Request(signal == SIGINT ? engine::CancelRequest::Reason::kUser
                                   : engine::CancelRequest::Reason::kInterrupted);
}

}  // namespace

RunSignals::RunSignals() {
  gCancel.Reset();
  gSignal.store(0);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a question waiting for an answer on the terminal returns,
  // and the run stops at its next object. SA_RESETHAND: a second signal of
  // the same kind ends the process the usual way.
  action.sa_flags = SA_RESETHAND;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &gPrevious[i]);
}

RunSignals::~RunSignals() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &gPrevious[i], nullptr);
}

const engine::CancelRequest* RunSignals::cancel() const { return &gCancel; }

int ExitStatusAfterSignal(int otherwise) {
  const int signal = gSignal.load();
  return signal ? 128 + signal : otherwise;
}

}  // namespace bkvp::cli::front
