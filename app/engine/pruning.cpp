#include "app/engine/pruning.h"

#include <unistd.h>

#include <algorithm>

#include "app/engine/archive_naming.h"
#include "app/engine/run_log.h"
#include "archive/archive_reader.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::engine {

PruneResult PruneArchives(const std::string& folder, uint32_t keep,
                          const std::string& justWritten) {
  PruneResult result;
  struct Archive {
    ArchiveMoment moment;
    std::string path;
  };
  std::vector<Archive> archives;
  for (const FoundArchive& found : ArchivesIn(folder, &result.undecodable)) {
    const std::string path = folder + found.name;
    if (std::string why = archive::WhyNotAnArchive(archive::DefaultFileLayer(), path); !why.empty())
      result.leftAlone.push_back(path + ": left alone, " + why);
    else
      archives.push_back({found.moment, path});
  }
  if (archives.size() > keep) {
    size_t excess = archives.size() - keep;
    std::sort(archives.begin(), archives.end(), [](const Archive& a, const Archive& b) {
      return a.moment != b.moment ? a.moment < b.moment : a.path < b.path;
    });
    for (const Archive& a : archives) {
      if (excess == 0) break;
      if (a.path == justWritten) continue;
      if (::unlink(a.path.c_str()) == 0) result.deleted.push_back(a.path);
      --excess;
    }
  }
  if (result.deleted.empty() && result.leftAlone.empty()) return result;
  RunLog log;
  log.OpenForAppend();
  for (const std::string& line : result.leftAlone) log.Write(platform::EscapeControls(line) + "\n");
  for (const std::string& path : result.deleted)
    log.Write("Removed " + platform::EscapeControls(path) + ", older than the newest " +
              std::to_string(keep) + " archives.\n");
  return result;
}

}  // namespace bkvp::engine
