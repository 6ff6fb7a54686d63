// Keeps only the newest archives of a destination folder after a scheduled
// run. Only this program's archives go: a file is removed only when it is a
// regular file (not a link, pipe or folder), its name is exactly an archive
// name as the program writes them, and its header reads as an archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bkvp::engine {

struct PruneResult {
  std::vector<std::string> deleted;      // full paths, oldest first
  std::vector<std::string> undecodable;  // names matching the pattern that encode no moment
  std::vector<std::string> leftAlone;    // look-alikes that are not our archives, and why
};

// folder ends with "/". Orders the archives by the moments their names
// encode and deletes the oldest beyond `keep`. `justWritten` (a full path)
// is never deleted. Each removal and each look-alike left alone is added to
// the run's log.
PruneResult PruneArchives(const std::string& folder, uint32_t keep, const std::string& justWritten);

}  // namespace bkvp::engine
