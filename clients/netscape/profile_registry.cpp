#include "clients/netscape/profile_registry.h"

#include "clients/common/registry_file.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace bkvp::netscape {

namespace {

using clients::RegistryFileNode;

constexpr const char* kShellFoldersKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ValueOf(const RegistryFileNode& node, std::string_view childName) {
  const RegistryFileNode* child = node.Child(childName);
  return child ? child->value : std::string();
}

}  // namespace

std::optional<std::string> ProfileRegistry::CurrentDirectory() const {
  if (currentIndex < 0 || static_cast<size_t>(currentIndex) >= profileDirectories.size())
    return std::nullopt;
  return profileDirectories[static_cast<size_t>(currentIndex)];
}

ProfileRegistry ReadProfileRegistry(const std::string& path) {
  ProfileRegistry result;
  const clients::RegistryFile file = clients::ReadRegistryFile(path);
  if (!file.ok()) return result;
  const RegistryFileNode* profiles = file.root.FindBelow("Profiles");
  if (!profiles) return result;

  const std::string currentName = ValueOf(*profiles, "CurrentProfile");
  for (const RegistryFileNode& profile : profiles->children) {
    if (!profile.Child("directory")) continue;
    // A profile carried over from an older installation still lives in the
    // folder it was migrated from.
    const std::string folder = profile.Child("migratedFrom") ? ValueOf(profile, "migratedFrom")
                                                             : ValueOf(profile, "directory");
    if (profile.name.empty() || folder.empty() || !platform::DirectoryExists(folder)) continue;
    if (profile.name == currentName)
      result.currentIndex = static_cast<int>(result.profileNames.size());
    result.profileNames.push_back(profile.name);
    result.profileDirectories.push_back(folder);
  }
  return result;
}

std::string ProfileRegistryFilePath() {
  std::string appData = platform::RegReadString(kShellFoldersKey, "AppData").value_or("");
  if (appData.empty()) return "";
  if (appData.back() != '/') appData += '/';
  return appData + "Mozilla/registry.dat";
}

ProfileRegistry LoadProfileRegistry() {
  const std::string path = ProfileRegistryFilePath();
  return path.empty() ? ProfileRegistry{} : ReadProfileRegistry(path);
}

}  // namespace bkvp::netscape
