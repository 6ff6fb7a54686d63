#include "app/engine/offered_volumes.h"

#include <unistd.h>

#include "platform/files.h"

namespace bkvp::engine {
namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

bool OfferAsRestoreSource(const VolumeFacts& volume) {
  return platform::HoldsUserFiles(volume.rootPath, volume.fileSystemType, volume.ready);
}

bool OfferAsBackupDestination(const VolumeFacts& volume) {
  return OfferAsRestoreSource(volume) && !volume.readOnly &&
         access(volume.rootPath.c_str(), W_OK) == 0;
}

Preselection PreselectDestination(const std::string& storePath,
                                  const std::vector<std::string>& volumeRoots) {
  if (storePath.empty()) return {};
  const std::string path = WithoutTrailingSlash(storePath);
  for (const std::string& root : volumeRoots)
    if (WithoutTrailingSlash(root) == path) return {Preselection::Kind::kVolume, path};
  return {Preselection::Kind::kFolder, path};
}

}  // namespace bkvp::engine
