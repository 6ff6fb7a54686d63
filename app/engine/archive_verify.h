// Reads every object of an archive back through the archive reader: file
// contents are restored into a scratch folder (which inflates compressed
// parts and checks their streams), strings are read to their end.
#pragma once

#include <string>

#include "app/engine/archive_list.h"

namespace bkvp::engine {

struct VerifyResult {
  bool ok = false;
  int objectsChecked = 0;
  std::string problem;  // names the first damaged object
};

// Checks the layout first (InspectArchive), then the contents.
VerifyResult VerifyArchive(const std::string& path, const RestorerFactory& createRestorer = {});

}  // namespace bkvp::engine
