#include "clients/netscape/staged_profile_swap.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/errors.h"
#include "platform/files.h"

namespace bkvp::netscape {

namespace {

std::string SystemErrorText(int error) {
  return platform::ErrorMessage(platform::ErrorFromErrno(error));
}

bool Rename(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = SystemErrorText(errno);
  return false;
}

}  // namespace

std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::optional<std::string> StagingFolderFor(const std::string& profileFolder) {
  const size_t slash = profileFolder.rfind('/');
  if (slash == std::string::npos || slash + 1 == profileFolder.size()) return std::nullopt;
  const std::string name = profileFolder.substr(slash + 1);
  // A profile folder with a reserved name would be wiped as a stale staging
  // or set aside folder.
  if (name == kStagingFolderName || name == std::string(kStagingFolderName) + kSetAsideSuffix)
    return std::nullopt;
  return profileFolder.substr(0, slash + 1) + kStagingFolderName;
}

bool RemoveTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return !ec && !std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool PrepareStagingFolder(const std::string& stagingFolder) {
  return RemoveTree(stagingFolder) && platform::CreateFolders(stagingFolder) &&
         platform::DirectoryExists(stagingFolder);
}

SwapOutcome SwapInStagedProfile(const std::string& stagingFolder,
                                const std::string& profileFolder) {
  SwapOutcome outcome;
  // Beside the staging folder, which lies beside the profile folder.
  const std::string aside = stagingFolder + kSetAsideSuffix;
  if (!RemoveTree(aside)) {
    outcome.error = "cannot remove " + aside;
    return outcome;
  }
  std::string error;
  if (!Rename(profileFolder, aside, error)) {
    outcome.error = "cannot move " + profileFolder + " aside: " + error;
    return outcome;
  }
  if (!Rename(stagingFolder, profileFolder, error)) {
    std::string putBackError;
    outcome.error = "cannot rename " + stagingFolder + " to " + profileFolder + ": " + error;
    if (!Rename(aside, profileFolder, putBackError))
      outcome.error += "; the previous profile stays in " + aside;
    return outcome;
  }
  outcome.ok = true;
  if (!RemoveTree(aside)) outcome.leftover = aside;
  return outcome;
}

}  // namespace bkvp::netscape
