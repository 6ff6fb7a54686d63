#include "clients/netscape/profile_file_rules.h"

#include "platform/files.h"

namespace bkvp::netscape {

namespace {

// Deep enough for any real mail folder tree, shallow enough for the stack.
constexpr int kMaxFolderDepth = 64;

bool IsFolder(const platform::FindData& entry) {
  return (entry.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CollectMatches(const std::string& folder, const ProfileFileRule& rule, int depth,
                    std::vector<std::string>& files) {
  const std::vector<platform::FindData> entries = platform::FindFiles(folder + "/*");
  for (const platform::FindData& entry : entries)
    if (!IsFolder(entry) && platform::WildcardMatch(rule.pattern, entry.name))
      files.push_back(folder + "/" + entry.name);
  if (!rule.recursive || depth >= kMaxFolderDepth) return;
  for (const platform::FindData& entry : entries)
    if (IsFolder(entry) && !entry.isSymlink)
      CollectMatches(folder + "/" + entry.name, rule, depth + 1, files);
}

}  // namespace

std::vector<ProfileFileRule> ProfileFileRules(bool withChromeStyleSheets) {
  std::vector<ProfileFileRule> rules = {
      {"", "prefs.js", false},
      {"", "search.rdf", false},
      {"", "secmod.db", false},
      {"", "localstore.rdf", false},
      {"", "panels.rdf", false},
      {"", "prefs.js", false},
      {"chrome", "*.rdf", true},
      {"chrome", "*.jar", false},
      {"mail", "rules.dat", true},
      {"mail", "*.", true},
      {"mail", "*.msf", true},
      {"ImapMail", "rules.dat", true},
      {"ImapMail", "*.", true},
      {"ImapMail", "*.msf", true},
      {"News", "*.rc", true},
      {"News", "*.msf", true},
      {"News", "hostinfo.dat", true},
      {"", "dm.rdf", false},
      {"", "*.bag", false},
      {"", "*.dm.rdf", true},
      {"", "default-connections.rdf", false},
      {"", "default-invite.rdf", false},
      {"", "default-messages.rdf", false},
      {"", "default-connections-icq.rdf", false},
      {"", "abook.mab", false},
      {"", "history.mab", false},
      {"", "bookmarks.html", false},
      {"", "*.s", false},
      {"", "*.w", false},
      {"", "cert*.db", false},
      {"", "key*.db", false},
      {"", "cookies.txt", false},
      {"", "history.dat", false},
  };
  if (withChromeStyleSheets) rules.insert(rules.begin() + 8, {"chrome", "*.css", false});
  return rules;
}

std::vector<std::string> FilesOfRule(const std::string& profileFolder,
                                     const ProfileFileRule& rule) {
  std::vector<std::string> files;
  if (rule.subfolder.empty()) {
    CollectMatches(profileFolder, rule, 0, files);
    return files;
  }
  // Every folder whose name matches, so a profile holding both "mail" and
  // "Mail" loses neither.
  for (const platform::FindData& entry : platform::FindFiles(profileFolder + "/*"))
    if (IsFolder(entry) && !entry.isSymlink && platform::WildcardMatch(rule.subfolder, entry.name))
      CollectMatches(profileFolder + "/" + entry.name, rule, 1, files);
  return files;
}

std::vector<std::string> FilesOfRules(const std::string& profileFolder,
                                      const std::vector<ProfileFileRule>& rules) {
  std::vector<std::string> files;
  for (const ProfileFileRule& rule : rules) {
    std::vector<std::string> matched = FilesOfRule(profileFolder, rule);
    files.insert(files.end(), matched.begin(), matched.end());
  }
  return files;
}

}  // namespace bkvp::netscape
