// Extraction: every object of every client section of an archive written
// below a folder with the archive reader alone, so that an archive is never a
// black box, even where the programs it came from, their settings or the
// client modules are missing. Files land at DIR/<client name>/<original
// path>, strings as text files "<name>.txt", registry keys as ".reg" text
// (the registry store's export form) instead of being applied.
#pragma once

#include <string>
#include <vector>

#include "app/engine/cancel_request.h"
#include "app/engine/path_pattern.h"
#include "app/engine/progress_display.h"
#include "app/engine/run_outcome.h"

namespace bkvp::engine {

struct ExtractOutcome {
  RunOutcome run;  // objects done and failed, bytes, time; problem when it could not start
  std::vector<std::string> failures;  // the lines that say what was not extracted, and why
};

// With patterns, only the file objects whose original path matches one of
// them are extracted (and no keys or strings). A file that is there already
// is replaced with `overwrite`, else kept as it is (counted, no failure).
ExtractOutcome ExtractArchive(const std::string& archivePath, const std::string& folder,
                              const std::vector<PathPattern>& only, bool overwrite = false,
                              ProgressDisplay* display = nullptr,
                              const CancelRequest* cancel = nullptr);

// The place below the extraction folder that an object's name gives: its
// parts, with "\" read as "/" and a drive's colon dropped ("C:\a\b" gives
// "C/a/b"); empty when a part is "." or ".." or nothing is left.
std::string ExtractedPathOf(const std::string& name);

}  // namespace bkvp::engine
