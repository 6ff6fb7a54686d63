// Verifies an archive: the layout walk first (InspectArchive), then the
// archive service's own check of every section, record, registry key block
// and data part, which inflates compressed parts into a sink that keeps
// nothing, so a verification needs no scratch space.
#pragma once

#include <functional>
#include <string>

#include "contract/interfaces.h"

namespace bkvp::engine {

struct VerifyResult {
  bool ok = false;
  // False when the archive could not be checked at all (it is missing,
  // unreadable, no regular file, or the archive service is not here);
  // `problem` then says why instead of naming a damaged place.
  bool checked = false;
  int objectsChecked = 0;
  std::string problem;  // names the first damaged place
};

using CheckerFactory = std::function<HRESULT(bkvp::ComPtr<IArchiveCheck>&)>;

VerifyResult VerifyArchive(const std::string& path, const CheckerFactory& createChecker = {});

}  // namespace bkvp::engine
