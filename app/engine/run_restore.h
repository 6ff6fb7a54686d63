// A restore run: the selected clients give back their data from one archive.
// Threading and cancelling as for RunBackup (run_backup.h); a cancelled
// restore stops after the object it is working on.
#pragma once

#include "app/engine/archive_list.h"
#include "app/engine/cancel_request.h"
#include "app/engine/client_list.h"
#include "app/engine/path_pattern.h"
#include "app/engine/progress_display.h"
#include "app/engine/run_outcome.h"

namespace bkvp::engine {

// Files the user picked: only the file objects of that client's section
// whose original path matches one of the patterns are handed to it.
struct ChosenFiles {
  std::string clsid;
  std::vector<PathPattern> patterns;
};

// kNotFound "no file in the archive matches X" for each pattern of the
// choice that picks no file of that client's section.
Status CheckChosenFilesExist(ArchiveEntry& archive, const ChosenFiles& chosen);

// The reader stays with the entry. With `toSavedPlaces` the mail and
// browser clients put files back in the folders the archive names without
// asking, also where they keep no data on this machine.
RunOutcome RunRestore(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                      const CancelRequest* cancel = nullptr, const ChosenFiles* chosen = nullptr,
                      bool toSavedPlaces = false);

}  // namespace bkvp::engine
