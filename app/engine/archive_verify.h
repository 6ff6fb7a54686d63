// Verifies an archive: the layout walk first (InspectArchive), then the
// archive service's own check of every section, record, registry key block
// and data part, which inflates compressed parts into a sink that keeps
// nothing, so a verification needs no scratch space.
#pragma once

#include <functional>
#include <string>

#include "app/engine/component_factories.h"
#include "contract/status.h"

namespace bkvp::engine {

// The number of objects read back. kDamaged names the first damaged place;
// any other failure says why the archive could not be checked at all (it is
// missing, unreadable, no regular file, or the archive service is not here).
Result<int> VerifyArchive(const std::string& path, const CheckerFactory& createChecker = {});

}  // namespace bkvp::engine
