#include "clients/navigator/navigator_profiles.h"

#include "clients/common/registry_access.h"
#include "clients/common/registry_file.h"
#include "clients/navigator/navigator_strings.h"
#include "platform/files.h"
#include "platform/sysinfo.h"

namespace bkvp::navigator {

namespace {

std::string Text(int id) { return Strings().Load(id); }

// A folder text longer than a path can be is not a folder.
constexpr size_t kMaxLocationBytes = 4095;

ProfileFolders FromProfileRegistry() {
  ProfileFolders result;
  const auto windows = platform::WindowsDirectory();
  if (!windows || windows->empty()) {
    result.problem = Text(kStrNoWindowsDirectory);
    return result;
  }
  const std::string path = platform::JoinPath(*windows, Text(kStrProfileRegistry));
  const clients::RegistryFile registry = clients::ReadRegistryFile(path);
  switch (registry.status) {
    case clients::RegistryFile::Status::Unreadable:
      result.problem = Text(kStrProfileRegistryUnreadable) + " " + path;
      return result;
    case clients::RegistryFile::Status::Damaged:
      result.problem = Text(kStrProfileRegistryDamaged) + " " + path;
      return result;
    case clients::RegistryFile::Status::Ok:
      break;
  }
  result.profileRegistry = path;
  // Each user's key holds its profile folder in a "ProfileLocation" entry.
  for (std::string& folder : registry.root.ValuesBelow(Text(kStrProfileLocation)))
    if (!folder.empty() && folder.size() <= kMaxLocationBytes)
      result.folders.push_back(std::move(folder));
  return result;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

}  // namespace

ProfileFolders FindProfileFolders(const NavigatorVersion& version) {
  if (version.UsesProfileRegistry()) return FromProfileRegistry();
  ProfileFolders result;
  result.folders = ProfilesFromUsersKey();
  return result;
}

std::vector<std::string> ProfilesFromUsersKey() {
  const std::string usersKey = Text(kStrUsersKey);
  // Without an installation folder a relative "DirRoot" would be taken
  // relative to whatever the current folder happens to be.
  const std::string installation = clients::ReadString(kMainKey, Text(kStrInstallDirectory));
  const std::string programFolder =
      installation.empty() ? "" : platform::JoinPath(installation, Text(kStrProgramFolder));
  std::vector<std::string> folders;
  for (const std::string& user : clients::ListSubKeys(usersKey)) {
    const std::string dirRoot =
        clients::ReadString(clients::JoinKeyPath(usersKey, user), kDirRootValue);
    if (dirRoot.empty()) continue;
    if (IsAbsolute(dirRoot))
      folders.push_back(dirRoot);
    else if (!programFolder.empty())
      folders.push_back(platform::JoinPath(programFolder, dirRoot));
  }
  return folders;
}

std::vector<clients::FileItem> ProfileItems(const ProfileFolders& profiles) {
  std::vector<clients::FileItem> items;
  if (!profiles.profileRegistry.empty())
    clients::CollectFiles(items, profiles.profileRegistry, Text(kStrProfileRegistry));
  for (const std::string& folder : profiles.folders) {
    for (const platform::FindData& entry : platform::FindFiles(platform::JoinPath(folder, "*.*"))) {
      if (entry.name.empty() || entry.name.front() == '.' ||
          (entry.attributes & platform::FILE_ATTRIBUTE_DIRECTORY))
        continue;
      clients::CollectFiles(items, platform::JoinPath(folder, entry.name), entry.name);
    }
    for (const int sub : {kStrMailFolder, kStrNewsFolder})
      clients::CollectFiles(items, platform::JoinPath(folder, Text(sub)), Text(sub));
  }
  return items;
}

std::string SavedRegistryKey(const NavigatorVersion& version) {
  return Text(version.UsesProfileRegistry() ? kStrUsersKey45 : kStrUsersKey);
}

clients::RestorePlaces RestorePlacesHere() {
  clients::RestorePlaces places(Strings().DisplayName());
  const auto version = InstalledNavigator4x();
  if (!version) return places;
  places.AddKey(SavedRegistryKey(*version));
  const ProfileFolders profiles = FindProfileFolders(*version);
  if (!profiles.profileRegistry.empty()) places.AddPath(profiles.profileRegistry);
  for (const std::string& folder : profiles.folders) places.AddPath(folder);
  return places;
}

}  // namespace bkvp::navigator
