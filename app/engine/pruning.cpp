#include "app/engine/pruning.h"

#include <algorithm>
#include <cstdio>

#include "app/engine/archive_naming.h"
#include "platform/files.h"

namespace bkvp::engine {

PruneResult PruneArchives(const std::string& folder, uint32_t keep,
                          const std::string& justWritten) {
  PruneResult result;
  struct Archive {
    ArchiveMoment moment;
    std::string path;
  };
  std::vector<Archive> archives;
  for (const auto& found : platform::FindFiles(folder + kArchivePattern)) {
    if (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
    try {
      archives.push_back({DecodeArchiveName(found.name), folder + found.name});
    } catch (const bad_number&) {
      result.undecodable.push_back(found.name);
    }
  }
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
