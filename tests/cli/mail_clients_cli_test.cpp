// Outlook Express and Outlook installations saved with "bkvp backup", wiped,
// and brought back with "bkvp restore", both run as real processes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace bkvp::testing;

std::map<std::string, std::string> FilesBelow(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path().string());
  return tree;
}

class MailClientCommands : public HomeFixture {
 protected:
  std::string Run(const std::string& arguments) {
    const CommandResult result = RunCommand(BinDir() + "/bkvp " + arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments << "\n" << result.output;
    return result.output;
  }
  std::string Export(const std::string& key) {
    std::string text;
    EXPECT_TRUE(bkvp::platform::ExportRegText(key, text).ok) << key;
    return text;
  }
  // Saves the client, wipes its files and keys, restores the archive, and
  // checks that every file and every registry value came back. The program
  // itself stays installed: installedKey, when given, is put back empty.
  void RoundTrip(const std::string& client, const std::vector<std::string>& keys,
                 const std::string& installedKey = "") {
    Run("register " + BinDir() + "/BkVpSrv.so " + BinDir() + "/BkVpOutlookExp.so " + BinDir() +
        "/BkVpOutlook.so");
    const auto filesBefore = FilesBelow(dir_ / "user");
    std::map<std::string, std::string> keysBefore;
    for (const auto& key : keys) keysBefore[key] = Export(key);

    const std::string output = Run("backup --quiet --to '" + (dir_ / "archives") + "' --client '" +
                                   client + "' --unattended");
    std::string archive, line;
    for (std::istringstream lines(output); std::getline(lines, line);)
      if (line.size() > 3 && line.compare(line.size() - 3, 3, ".KV") == 0) archive = line;
    ASSERT_TRUE(fs::exists(archive)) << output;

    fs::remove_all(dir_ / "user");
    for (const auto& key : keys) {
      const auto path = bkvp::platform::SplitKeyPath(key);
      ASSERT_TRUE(path);
      bkvp::platform::RegDeleteTree(path->root, path->subKey.c_str());
    }
    if (!installedKey.empty()) {
      bkvp::platform::RegKeyHandle key;
      ASSERT_EQ(bkvp::platform::RegCreateKeyPath(installedKey, key.out()),
                bkvp::platform::ERROR_SUCCESS);
    }
    Run("restore '" + archive + "' --client '" + client + "' --saved-places --unattended");

    EXPECT_EQ(FilesBelow(dir_ / "user"), filesBefore);
    for (const auto& key : keys) EXPECT_EQ(Export(key), keysBefore[key]) << key;
  }

  TempDir dir_;
};

TEST_F(MailClientCommands, OutlookExpressComesBackWithItsIdentitiesAndStores) {
  const std::string ids = "HKEY_CURRENT_USER\\Identities";
  const std::string settings = "\\SOFTWARE\\Microsoft\\Outlook Express\\5.0";
  const std::string store = dir_ / "user/Identities/{A}/Outlook Express";
  const std::string mainStore = dir_ / "user/Outlook Express";
  bkvp::platform::RegWriteString(ids, "Default User ID", "{A}");
  bkvp::platform::RegWriteString(ids + "\\{A}", "Username", "Main Identity");
  bkvp::platform::RegWriteString(ids + "\\{A}" + settings, "Store Root", store);
  bkvp::platform::RegWriteDword(ids + "\\{A}" + settings, "Running", 0);
  bkvp::platform::RegWriteString(
      "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager\\Accounts\\00000001",
      "SMTP Server", "mail.example.org");
  bkvp::platform::RegWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\WAB\\WAB4\\Wab File Name",
                                 "", dir_ / "user/Address Book/me.wab");
  bkvp::platform::RegWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express\\5.0",
                                 "Store Root", mainStore);
  WriteFile(store + "/Inbox.dbx", std::string(90000, 'i'));
  WriteFile(store + "/Folders.dbx", "folders");
  WriteFile(mainStore + "/Outbox.dbx", "outbox");
  WriteFile(dir_ / "user/Address Book/me.wab", "wab");

  RoundTrip("Outlook Express",
            {ids, "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager",
             "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\WAB",
             "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express"},
            "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express");
}

TEST_F(MailClientCommands, OutlookComesBackWithItsProfilesAndPersonalFolders) {
  const std::string messaging =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging Subsystem";
  bkvp::platform::RegWriteString(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\9.0\\Outlook\\InstallRoot", "Path",
      dir_ / "Office");
  bkvp::platform::RegWriteString(messaging + "\\Profiles", "DefaultProfile", "Outlook");
  bkvp::platform::RegWriteString(messaging + "\\Profiles\\Outlook\\0a0d0200", "001e6700",
                                 dir_ / "user/Mail/outlook.pst");
  bkvp::platform::RegWriteString(messaging + "\\Profiles\\Outlook\\9375CFF0", "001e6700",
                                 dir_ / "user/Mail/archive.pst");
  bkvp::platform::RegWriteDword(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook\\Options", "Sound", 1);
  bkvp::platform::RegWriteString("HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook", "Setup",
                                 "x");
  bkvp::platform::RegWriteString(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      "Local AppData", dir_ / "user/Local Settings");
  WriteFile(dir_ / "user/Mail/outlook.pst", std::string(150000, 'p'));
  WriteFile(dir_ / "user/Mail/archive.pst", "archive");
  WriteFile(dir_ / "user/Local Settings/Microsoft/Outlook/extend.dat", "extend");

  RoundTrip("Outlook", {messaging, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook",
                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook"});
}

}  // namespace
