// Saving one browser profile: the folder chosen on the backup page, closed
// first when the browser runs with it.
#pragma once

#include "clients/common/client_service.h"
#include "clients/netscape/netscape_edition.h"
#include "contract/interfaces.h"

namespace bkvp::netscape {

// The marker saved first: it holds the profile folder the backup came from,
// so a restore can tell whether the profile moved.
constexpr const char* kOldPathFileName = "OldPath.txt";

// Reads the "backuper" options, closes the browser when it runs with the
// chosen profile (and "AutoClose" allows it), stores the marker and every
// file the rules yield, and starts the browser again when that is due.
HRESULT BackupProfile(const NetscapeEdition& edition, const clients::FrameWaits& waits,
                      IBackuper* backuper, IProgress* progress);

}  // namespace bkvp::netscape
