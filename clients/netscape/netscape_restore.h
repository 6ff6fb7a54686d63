// Restoring a saved profile into the folder chosen on the restore page,
// through a staging folder beside it.
#pragma once

#include "clients/common/ask_until_closed.h"
#include "clients/netscape/netscape_edition.h"
#include "contract/interfaces.h"

namespace bkvp::netscape {

// Reads the "restorer" option "Path", waits until the browser no longer runs
// with that profile, restores the archived profile into the staging folder,
// re-points it at the target folder when the profile moved, and swaps it in.
// Every failure leaves the target folder as it was.
HRESULT RestoreProfile(const NetscapeEdition& edition, const clients::AskLimits& askLimits,
                       IRestorer* restorer, IProgress* progress);

}  // namespace bkvp::netscape
