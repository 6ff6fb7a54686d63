#include "clients/outlook/outlook_backup.h"

#include "clients/common/registry_access.h"
#include "clients/outlook/outlook_strings.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sysinfo.h"
#include "platform/text.h"

namespace bkvp::outlook {

Generation DetectGeneration() {
  if (!clients::ReadString(kInstallRoot9, "Path").empty()) return kGeneration9;
  if (!clients::ReadString(kInstallRoot8, "").empty()) return kGeneration8;
  return kGenerationUnknown;
}

bool UsesNtMessagingKeys() {
  const platform::OsVersion os = platform::GetOsVersion();
  return os.platformId == 2 && (os.major == 4 || os.major == 5);
}

std::vector<std::string> SettingsKeys(Generation generation) {
  std::vector<std::string> keys;
  const std::string messaging =
      Strings().Load(UsesNtMessagingKeys() ? kStrMessagingNt : kStrMessaging);
  if (generation == kGeneration8 || generation == kGeneration9) {
    keys.push_back(messaging);
    keys.push_back(Strings().Load(generation == kGeneration8 ? kStrSettings8 : kStrSettings9));
  }
  keys.push_back(Strings().Load(kStrSettingsCommon));
  return keys;
}

std::vector<std::string> DataFilePaths() {
  std::vector<std::string> paths;
  const std::string profiles =
      Strings().Load(UsesNtMessagingKeys() ? kStrProfilesNt : kStrProfiles);
  const std::string storeValue = Strings().Load(kStrStoreValue);
  for (const std::string& profile : clients::ListSubKeys(profiles)) {
    const std::string profileKey = clients::JoinKeyPath(profiles, profile);
    for (const std::string& section : clients::ListSubKeys(profileKey))
      for (const clients::RegistryValue& value : clients::ListValues(profileKey + "\\" + section))
        if (value.type == platform::REG_SZ && platform::EqualsIgnoreCase(value.name, storeValue))
          paths.push_back(clients::ValueText(value));
  }
  paths.push_back(
      clients::ReadString(Strings().Load(kStrShellFolders), Strings().Load(kStrLocalAppData)) +
      Strings().Load(kStrExtendDat));
  return paths;
}

std::vector<clients::FileItem> DataFiles(const ReadableWait& wait) {
  std::vector<clients::FileItem> files;
  const std::vector<std::string> paths = DataFilePaths();
  for (size_t i = 0; i < paths.size(); ++i) {
    // A personal folder file still locked is offered all the same.
    if (i + 1 < paths.size()) WaitUntilReadable(paths[i], wait);
    clients::CollectFiles(files, paths[i], platform::FileNameOf(paths[i]));
  }
  return files;
}

clients::RestorePlaces RestorePlacesHere() {
  clients::RestorePlaces places(Strings().DisplayName());
  for (const Generation generation : {kGeneration8, kGeneration9})
    for (const std::string& key : SettingsKeys(generation)) places.AddKey(key);
  for (const std::string& path : DataFilePaths()) places.AddPath(path);
  return places;
}

}  // namespace bkvp::outlook
