// The restore walk of Navigator4x. Local to this client: the frame's
// RestoreObjectLoop passes over the status of RestoreFile and
// RestoreRegistryKey, while this client ends its restore with the first
// failing one, so that a file that could not be written back is reported.
#pragma once

#include <string>

#include "contract/interfaces.h"

namespace bkvp::navigator {

// Iterate(serviceClsid) (E_FAIL when the archive has no such section); then
// for each object until IsEnd fails or reports the end: files go back to
// their full path (missing folders created, existing files replaced, the
// line written to the log), registry keys to their key, other objects are
// reported with unknownTypeText and passed over; then Next(). Nothing is
// deleted: what the archive does not hold stays as it is.
// A failing RestoreFile / RestoreRegistryKey ends the walk with its status;
// a KVError marks the run failed (E_FAIL) and, with a negative code, ends it.
HRESULT RestoreSection(IRestorer* restorer, IProgress* progress, const std::string& serviceClsid,
                       const std::string& unknownTypeText);

}  // namespace bkvp::navigator
