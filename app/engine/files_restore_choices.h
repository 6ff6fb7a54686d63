// The files client's restore choices for a restore without its page (bkvp
// restore): where the files go and whether existing ones are replaced. They
// are kept where the client reads them, as its restore page keeps them.
#pragma once

#include <string>

#include "contract/status.h"

namespace bkvp::engine {

struct FilesRestoreRequest {
  std::string folder;  // empty: every file goes back to its original place
  bool overwrite = false;
  bool flat = false;  // with a folder: side by side in it, not at their paths below it
};

// Creates the folder when it is missing, then stores the choices.
Status ChooseFilesRestore(const FilesRestoreRequest& request);

}  // namespace bkvp::engine
