// What a backup takes from a profile folder: an ordered list of file rules.
#pragma once

#include <string>
#include <vector>

namespace bkvp::netscape {

struct ProfileFileRule {
  std::string subfolder;   // "" = the profile folder itself
  std::string pattern;     // a file name or a wildcard pattern ("*." = no extension)
  bool recursive = false;  // the same pattern in every folder below, at any depth
};

// The rules in offering order. Netscape 7 keeps downloaded theme style
// sheets in the chrome folder; Netscape 6 has none there.
std::vector<ProfileFileRule> ProfileFileRules(bool withChromeStyleSheets);

// Full paths of the files one rule yields under the profile folder: the
// folder's own matches in name order, then those of each subfolder (name
// order, depth first). Folder and file names match without regard to letter
// case, since the profiles come from a system that ignores it ("Mail" is the
// "mail" folder). Folders are never yielded, and links to folders are not
// followed.
std::vector<std::string> FilesOfRule(const std::string& profileFolder, const ProfileFileRule& rule);

// Every file of every rule, in rule order (a file matched by two rules comes
// twice, as the rules intend for "prefs.js").
std::vector<std::string> FilesOfRules(const std::string& profileFolder,
                                      const std::vector<ProfileFileRule>& rules);

}  // namespace bkvp::netscape
