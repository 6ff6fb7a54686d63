#include "app/engine/restore_source.h"

#include "app/engine/last_good_backup.h"
#include "app/engine/remote_place.h"
#include "platform/files.h"

namespace bkvp::engine {

std::string SuggestedRestoreSource(const ProgramSettings& settings) {
  if (const auto good = ReadLastGoodBackup(); good && !good->archivePath.empty()) {
    if (const auto remote = ParseRemotePlace(good->archivePath)) return remote->Parent().Text();
    return platform::ParentFolder(good->archivePath);
  }
  if (!settings.storePath.empty()) return settings.storePath;
  return settings.scheduleStorePath;
}

int NewestArchiveIndex(const std::vector<ArchiveEntry>& entries) {
  int newest = -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (newest < 0 || entries[i].time > entries[size_t(newest)].time) newest = int(i);
  return newest;
}

}  // namespace bkvp::engine
