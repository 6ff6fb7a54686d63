// A Netscape 7 profile saved with "bkvp backup" and restored into another
// profile folder with "bkvp restore", both run as real processes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "tests/clients/netscape/profile_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace bkvp::testing;

constexpr const char* kOptionKey =
    "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal\\"
    "{FCA2981A-71DE-4974-AD4D-02DAF60B1084}";

using bkvp::netscape::testing::Snapshot;

std::string UrlForm(std::string path) {
  for (size_t at; (at = path.find(' ')) != std::string::npos;) path.replace(at, 1, "%20");
  return path;
}

class NetscapeCommands : public HomeFixture {
 protected:
  std::string Run(const std::string& arguments, int expectedExit = 0) {
    const CommandResult result = RunCommand(BinDir() + "/bkvp " + arguments);
    EXPECT_EQ(result.exitCode, expectedExit) << arguments << "\n" << result.output;
    return result.output;
  }

  // Netscape 7 counts as installed when its program carries version 7.
  void InstallNetscape7() {
    const std::string exe = dir_ / "Netscape/Netscp.exe";
    bkvp::netscape::testing::WriteVersionedProgram(exe, 0x00070001);
    bkvp::platform::RegWriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape",
                                   "CurrentVersion", "7.1 (en)");
    bkvp::platform::RegWriteString(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape\\7.1 (en)\\Main", "PathToExe", exe);
  }

  void MakeProfile(const std::string& folder) {
    WriteFile(folder + "/prefs.js", "user_pref(\"mail.directory\", \"" + folder + "/Mail\");\n");
    WriteFile(folder + "/chrome/all-skins.rdf", "<RDF:Description c:baseURL=\"jar:file:///" +
                                                    UrlForm(folder) +
                                                    "/chrome/classic.jar!/\"/>\n");
    WriteFile(folder + "/chrome/classic.jar", std::string(70000, 'c'));
    WriteFile(folder + "/Mail/Local Folders/Inbox", "From a@b\n\nhello\n");
    WriteFile(folder + "/Mail/Local Folders/Inbox.msf", "summary");
    WriteFile(folder + "/bookmarks.html", "<DL>");
  }

  TempDir dir_;
};

TEST_F(NetscapeCommands, AProfileSavedAndRestoredElsewhereNamesItsNewFolder) {
  Run("register " + BinDir() + "/BkVpSrv.so " + BinDir() + "/BkVpNetscape7.so");
  InstallNetscape7();
  const std::string profile = dir_ / "Application Data/Mozilla/Profiles/default/k2.slt";
  const std::string target = dir_ / "Other Place/new profile";
  MakeProfile(profile);
  fs::create_directories(target);
  bkvp::platform::RegWriteString(std::string(kOptionKey) + "\\backuper", "Path", profile);
  bkvp::platform::RegWriteString(std::string(kOptionKey) + "\\backuper", "ProfileName", "default");
  bkvp::platform::RegWriteString(std::string(kOptionKey) + "\\restorer", "Path", target);

  Run("backup --to '" + (dir_ / "archives") + "' --client 'Netscape 7' --unattended");
  std::vector<fs::path> archives;
  for (const auto& entry : fs::directory_iterator(dir_ / "archives"))
    archives.push_back(entry.path());
  ASSERT_EQ(archives.size(), 1u);

  Run("restore '" + archives.front().string() + "' --client 'Netscape 7' --unattended");
  auto saved = Snapshot(profile);
  auto restored = Snapshot(target);
  EXPECT_EQ(restored["prefs.js"], "user_pref(\"mail.directory\", \"" + target + "/Mail\");\n");
  EXPECT_EQ(restored["chrome/all-skins.rdf"], "<RDF:Description c:baseURL=\"jar:file:///" +
                                                  UrlForm(target) + "/chrome/classic.jar!/\"/>\n");
  for (const char* rewritten : {"prefs.js", "chrome/all-skins.rdf"}) {
    saved.erase(rewritten);
    restored.erase(rewritten);
  }
  EXPECT_EQ(restored, saved);
  EXPECT_FALSE(fs::exists(dir_ / "Other Place/KV_RESTORE_FOLDER"));
}

}  // namespace
