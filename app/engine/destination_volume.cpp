#include "app/engine/destination_volume.h"

#include "app/engine/remote_place.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace bkvp::engine {
namespace {

constexpr const char* kMountValue = "StoreMount";
constexpr const char* kVolumeValue = "StoreVolume";

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

DestinationVolume VolumeOfFolder(const std::string& folder) {
  return {platform::MountPointOf(folder), platform::FileSystemIdOf(folder)};
}

Status RecordDestinationVolume(std::string_view key, const std::string& folder) {
  const DestinationVolume volume =
      folder.empty() || IsRemotePlace(folder) ? DestinationVolume{} : VolumeOfFolder(folder);
  for (const auto& [name, text] :
       {std::pair{kMountValue, volume.mountPoint}, std::pair{kVolumeValue, volume.fileSystemId}})
    if (const auto status = platform::RegWriteString(key, name, text);
        status != platform::ERROR_SUCCESS)
      return {Status::Code::kCannotWrite,
              "cannot store " + std::string(name) + " in " + std::string(key) + ": " +
                  platform::ErrorMessage(static_cast<uint32_t>(status))};
  return {};
}

Status CheckDestinationVolume(std::string_view key, const std::string& folder) {
  const std::string recordedMount = platform::RegReadString(key, kMountValue).value_or("");
  if (recordedMount.empty() || IsRemotePlace(folder)) return {};
  const std::string recordedId = platform::RegReadString(key, kVolumeValue).value_or("");
  const DestinationVolume now = VolumeOfFolder(folder);
  const bool sameDrive =
      now.mountPoint == recordedMount &&
      (recordedId.empty() || now.fileSystemId.empty() || now.fileSystemId == recordedId);
  if (sameDrive) return {};
  return {Status::Code::kNotFound,
          "The backup drive for " + WithoutTrailingSlash(folder) + " is not connected"};
}

}  // namespace bkvp::engine
