// A restore run: the selected clients give back their data from one archive.
#pragma once

#include "app/engine/archive_list.h"
#include "app/engine/client_list.h"
#include "app/engine/progress_display.h"

namespace bkvp::engine {

struct RestoreRunReport {
  int clientsRun = 0;
  int clientsFailed = 0;
  bool stopped = false;  // an error exception ended the run
  bool errorStateSet = false;
};

// Returns 0 when the run was carried out; the reader stays with the entry.
HRESULT RunRestore(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                   RestoreRunReport* report = nullptr);

}  // namespace bkvp::engine
