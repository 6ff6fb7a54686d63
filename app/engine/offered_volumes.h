// Which mounted volumes the wizard offers as places, and where a stored
// destination puts the destination page. The wizard reads the volumes from
// its toolkit; the rules about them live here.
#pragma once

#include <string>
#include <vector>

namespace bkvp::engine {

struct VolumeFacts {
  std::string rootPath;  // the mount point
  std::string fileSystemType;
  bool ready = true;  // mounted with a medium in it
  bool readOnly = false;
};

// Every volume that holds user files, read-only ones (a pressed disc)
// included.
bool OfferAsRestoreSource(const VolumeFacts& volume);
// Of those, the ones this user can write to: a disc only when it was
// mounted writable.
bool OfferAsBackupDestination(const VolumeFacts& volume);

// The stored destination of the last wizard: the mount point of an offered
// volume selects that volume, another folder selects the folder.
struct Preselection {
  enum class Kind { kNothing, kVolume, kFolder };
  Kind kind = Kind::kNothing;
  std::string path;  // the volume's root or the folder, without a trailing "/"
};
Preselection PreselectDestination(const std::string& storePath,
                                  const std::vector<std::string>& volumeRoots);

}  // namespace bkvp::engine
