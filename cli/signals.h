// Ends a run cleanly when the terminal or the system asks bkvp to stop:
// SIGINT (Ctrl-C), SIGTERM and SIGHUP become the run's cancel request, so
// the archive being written is discarded, the log says why and the run lock
// is released. A second signal of the same kind ends the process at once.
#pragma once

#include "app/engine/cancel_request.h"

namespace bkvp::cli::front {

class RunSignals {
 public:
  RunSignals();   // installs the handlers
  ~RunSignals();  // puts the previous ones back
  RunSignals(const RunSignals&) = delete;
  RunSignals& operator=(const RunSignals&) = delete;

  const engine::CancelRequest* cancel() const;
};

// 128 + the signal that interrupted the run (130 for SIGINT, 143 for
// SIGTERM, 129 for SIGHUP), or `otherwise` when none did.
int ExitStatusAfterSignal(int otherwise);

}  // namespace bkvp::cli::front
