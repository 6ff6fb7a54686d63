// The mail and browser programs as the pages find them: the registry values
// (and, for Netscape 6/7, the program files) that the clients' presence
// tests look at, and the browser's profile registry with its profile
// folders. Shared by the page tests and the screenshot program.
#pragma once

#include <string>
#include <vector>

#include "clients/common/registry_access.h"
#include "clients/outlook/outlook_backup.h"
#include "clients/outlook/outlook_strings.h"
#include "platform/files.h"
#include "tests/clients/common/registry_file_writer.h"
#include "tests/clients/netscape/profile_fixture.h"
#include "tests/support/test_support.h"

namespace bkvp::pages::testing {

inline void InstallOutlookExpress() {
  clients::WriteString("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express", "Store Root",
                       "/home/user/Mail");
}

inline void InstallOutlook(outlook::Generation generation) {
  if (generation == outlook::kGeneration9)
    clients::WriteString(outlook::kInstallRoot9, "Path", "/opt/Office");
  else
    clients::WriteString(outlook::kInstallRoot8, "", "/opt/Office");
}

inline void InstallNavigator() {
  clients::WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape Navigator",
                       "CurrentVersion", "4.79 (en)");
}

// Netscape 6 or 7 with its program file in `folder`.
inline void InstallNetscape(int generation, const std::string& folder) {
  if (generation == 7) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape";
    clients::WriteString(key, "CurrentVersion", "7.1 (en)");
    clients::WriteString(key + "\\7.1 (en)\\Main", "PathToExe", folder + "/Netscp.exe");
    netscape::testing::WriteVersionedProgram(folder + "/Netscp.exe", 0x00070001);
  } else {
    clients::WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape 6\\6.0 (en)\\Main",
                         "Install Directory", folder);
    bkvp::testing::WriteFile(folder + "/netscp6.exe", "program");
  }
}

struct BrowserProfile {
  std::string name;
  std::string folder;             // created with a "prefs.js"
  std::string migratedFrom = {};  // when set, the folder the profile really lives in
};

// The profile registry "Mozilla/registry.dat" below `appData` (made the
// user's "AppData" shell folder), listing the profiles in this order.
inline void WriteBrowserProfiles(const std::string& appData,
                                 const std::vector<BrowserProfile>& profiles,
                                 const std::string& current) {
  using clients::testing::Entry;
  using clients::testing::Key;
  clients::WriteString(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      "AppData", appData);
  std::vector<clients::testing::TestNode> nodes = {Entry("CurrentProfile", current)};
  for (const BrowserProfile& profile : profiles) {
    std::vector<clients::testing::TestNode> entries = {Entry("directory", profile.folder)};
    if (!profile.migratedFrom.empty())
      entries.push_back(Entry("migratedFrom", profile.migratedFrom));
    const std::string& lives = profile.migratedFrom.empty() ? profile.folder : profile.migratedFrom;
    bkvp::testing::WriteFile(lives + "/prefs.js",
                             "user_pref(\"profile\", \"" + profile.name + "\");\n");
    nodes.push_back(Key(profile.name, std::move(entries)));
  }
  const clients::testing::RegistryFileImage image(
      Key("/", {Key("Common", {Key("Profiles", std::move(nodes))})}));
  bkvp::testing::WriteFileBytes(appData + "/Mozilla/registry.dat", image.bytes());
}

}  // namespace bkvp::pages::testing
