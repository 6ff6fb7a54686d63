// The profiles the browser knows, as listed in its profile registry file.
#pragma once

#include <optional>
#include <string>

#include <vector>

namespace bkvp::netscape {

struct ProfileRegistry {
  // Same length, same order: the file's order of the listed profiles.
  std::vector<std::string> profileNames;
  std::vector<std::string> profileDirectories;
  int currentIndex = -1;  // -1 when no listed profile is the current one

  // The folder of the current profile, when one is listed.
  std::optional<std::string> CurrentDirectory() const;
};

// Profiles of the registry file at `path`. A profile is listed when it has a
// name and a folder and the folder exists; the folder is the one it was
// migrated from when the file names one. A missing or unreadable file lists
// nothing.
ProfileRegistry ReadProfileRegistry(const std::string& path);

// Where the browser keeps its profile registry: the user's application data
// folder (the "AppData" shell folder) + "Mozilla/registry.dat"; "" when the
// shell folder is not known.
std::string ProfileRegistryFilePath();

// ReadProfileRegistry(ProfileRegistryFilePath()).
ProfileRegistry LoadProfileRegistry();

}  // namespace bkvp::netscape
