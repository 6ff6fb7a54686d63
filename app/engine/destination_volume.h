// The drive a backup destination lies on. It is recorded beside the stored
// destination ("StoreMount", "StoreVolume") when the destination is chosen,
// so that a later run after the drive was unplugged is refused instead of
// creating the same path on whatever disk now holds it.
#pragma once

#include <string>
#include <string_view>

#include "contract/status.h"

namespace bkvp::engine {

struct DestinationVolume {
  std::string mountPoint;    // where the file system holding the folder is mounted
  std::string fileSystemId;  // which file system that is (platform::FileSystemIdOf)
};

// The volume the folder is on now; for a missing folder, that of its
// nearest existing parent, where it would be created.
DestinationVolume VolumeOfFolder(const std::string& folder);

// Records the volume of `folder` under `key`; a remote place records none.
Status RecordDestinationVolume(std::string_view key, const std::string& folder);

// kNotFound "The backup drive for <folder> is not connected" when a volume
// was recorded under `key` and `folder` would now land on another one. A
// destination stored before volumes were recorded is not checked.
Status CheckDestinationVolume(std::string_view key, const std::string& folder);

}  // namespace bkvp::engine
