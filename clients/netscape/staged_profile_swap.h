// A restore never writes into the profile folder itself: it builds the
// profile in a staging folder beside it and swaps the two only when the copy
// is complete, so the user's profile survives every failure on the way.
#pragma once

#include <optional>
#include <string>

namespace bkvp::netscape {

constexpr const char* kStagingFolderName = "KV_RESTORE_FOLDER";
// The old profile waits in the staging folder's name + this suffix until the
// staged copy has taken its place.
constexpr const char* kSetAsideSuffix = ".old";

// The profile folder without trailing "/" (a lone "/" stays).
std::string WithoutTrailingSeparators(std::string folder);

// The staging folder for a restore into `profileFolder` (given without a
// trailing "/"): a folder beside it. nullopt when the folder has no parent
// or carries one of the names the restore reserves for itself.
std::optional<std::string> StagingFolderFor(const std::string& profileFolder);

// Removes a file, or a folder with everything in it (links are removed, not
// followed). True when nothing is left at the path.
bool RemoveTree(const std::string& path);

// Makes `stagingFolder` an empty folder, removing whatever was there.
bool PrepareStagingFolder(const std::string& stagingFolder);

struct SwapOutcome {
  bool ok = false;
  std::string error;     // why the swap failed; the old profile is in place
  std::string leftover;  // set aside folder that could not be removed
};

// Replaces `profileFolder` by `stagingFolder`: the old profile is renamed
// aside, the staged copy renamed into place, and only then is the old one
// deleted. When the staged copy cannot take the profile's name, the old
// profile is renamed back.
SwapOutcome SwapInStagedProfile(const std::string& stagingFolder, const std::string& profileFolder);

}  // namespace bkvp::netscape
