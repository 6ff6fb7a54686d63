// What Navigator4x saves: the profile folders of the installed Netscape 4.x
// (from the profile registry file for 4.5 and later, from the Users key
// before), every file of them, and one registry key.
#pragma once

#include <string>
#include <vector>

#include "clients/common/collect_files.h"
#include "clients/common/restore_places.h"
#include "clients/navigator/navigator_version.h"

namespace bkvp::navigator {

struct ProfileFolders {
  std::string problem;          // why the profiles cannot be found; empty when they can
  std::string profileRegistry;  // the "nsreg.dat" read (4.5 and later), saved first
  std::vector<std::string> folders;
};

// 4.5 and later: the Windows directory's "nsreg.dat" and the folders it
// names; without a Windows directory, or with a registry that cannot be read
// or is damaged, a problem. Before 4.5: the folders of the Users key.
ProfileFolders FindProfileFolders(const NavigatorVersion& version);

// One folder per subkey of the Users key with a non-empty "DirRoot": an
// absolute "DirRoot" as it is, a relative one below the "Program" folder of
// the installation directory (left out when that directory is not known).
std::vector<std::string> ProfilesFromUsersKey();

// The profile registry file (local name "nsreg.dat"), then for each folder
// its plain files (local name: the file name), and the contents of its
// "mail" and "news" folders (local names "mail/...", "news/..."). Names that
// begin with "." are left out, missing paths are passed over, and a path
// already listed is not added again.
std::vector<clients::FileItem> ProfileItems(const ProfileFolders& profiles);

// The registry key saved with the files: "...\biff\users" for 4.5 and later,
// the Users key before.
std::string SavedRegistryKey(const NavigatorVersion& version);

// The saved key and the profile registry and folders of the installed
// Netscape as they are set here now, as the places a restore may write;
// none when Netscape or its profiles cannot be found.
clients::RestorePlaces RestorePlacesHere();

}  // namespace bkvp::navigator
