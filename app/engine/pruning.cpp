#include "app/engine/pruning.h"

#include <algorithm>
#include <cstdio>

#include "app/engine/archive_naming.h"

namespace bkvp::engine {

PruneResult PruneArchives(const std::string& folder, uint32_t keep,
                          const std::string& justWritten) {
  PruneResult result;
  struct Archive {
    ArchiveMoment moment;
    std::string path;
  };
  std::vector<Archive> archives;
  for (const FoundArchive& found : ArchivesIn(folder, &result.undecodable))
    archives.push_back({found.moment, folder + found.name});
  if (archives.size() <= keep) return result;
  size_t excess = archives.size() - keep;
  std::sort(archives.begin(), archives.end(), [](const Archive& a, const Archive& b) {
    return a.moment != b.moment ? a.moment < b.moment : a.path < b.path;
  });
  for (const Archive& a : archives) {
    if (excess == 0) break;
    if (a.path == justWritten) continue;
    if (std::remove(a.path.c_str()) == 0) result.deleted.push_back(a.path);
    --excess;
  }
  return result;
}

}  // namespace bkvp::engine
