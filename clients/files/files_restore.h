// The files client's restore: every file object of its section back to its
// original path or into the chosen folder. Each file that is not restored
// gets a log line ending in " FAILED" (the archive reader's own, or one
// written here when the reader raises or the target is refused) and makes
// the restore return E_FAIL, as the backup does for files that fail.
#pragma once

#include "clients/files/backup_list_store.h"
#include "contract/interfaces.h"

namespace bkvp::files {

HRESULT RestoreFiles(IRestorer* restorer, IProgress* progress, const RestoreChoices& choices);

}  // namespace bkvp::files
