// Keeps only the newest archives of a destination folder after a scheduled run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bkvp::engine {

struct PruneResult {
  std::vector<std::string> deleted;      // full paths, oldest first
  std::vector<std::string> undecodable;  // names matching the pattern that encode no moment
};

// folder ends with "/". Orders the archives by the moments their names
// encode and deletes the oldest beyond `keep`. Names that do not decode are
// left alone, and `justWritten` (a full path) is never deleted.
PruneResult PruneArchives(const std::string& folder, uint32_t keep, const std::string& justWritten);

}  // namespace bkvp::engine
