#include "clients/navigator/navigator_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "clients/common/registry_access.h"
#include "clients/common/running_program.h"
#include "clients/navigator/navigator_identity.h"
#include "clients/navigator/navigator_options.h"
#include "clients/navigator/navigator_profiles.h"
#include "contract/component.h"
#include "contract/variant.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "tests/clients/common/archive_harness.h"
#include "tests/clients/common/client_service_fixture.h"
#include "tests/clients/common/helper_process.h"
#include "tests/clients/navigator/nsreg_fixture.h"
#include "tests/support/test_support.h"

namespace bkvp::navigator {
namespace {

using namespace std::chrono_literals;
using clients::WriteDword;
using clients::WriteString;
using testing::ArchivedObject;
using testing::ReadFile;
using testing::WriteFile;

namespace fs = std::filesystem;

const char kClsid[] = "{2A6219FC-7154-49C0-B62D-CB8B1CB43937}";
const char kNavigatorKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape Navigator";
const char kUsersKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape Navigator\\Users";
const char kBiffUsers[] = "HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff\\users";
const char kMainKey[] = "HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\Main";
const char kWindowsNtKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char kRunningText[] =
    "One or more instances of Netscape is currently running.\r\nNetscape will be "
    "automatically closed in 60 seconds.";

// The files a profile holds, and what of them is saved in which order: the
// plain files of the profile folder by name, then "mail", then "news";
// dot-files and other folders stay behind.
void MakeProfile(const std::string& folder, bool withNews) {
  WriteFile(folder + "/prefs.js", "user_pref(\"mail.directory\", \"" + folder + "/mail\");\n");
  WriteFile(folder + "/bookmark.htm", "<DL><DT>bookmarks</DL>");
  WriteFile(folder + "/pab.na2", std::string(70000, 'a'));
  WriteFile(folder + "/.lock", "held");
  WriteFile(folder + "/cache/0A1B.jpg", "cached picture");
  WriteFile(folder + "/mail/archive.sbd/y2001", "From old@mail\n\nold\n");
  WriteFile(folder + "/mail/inbox", "From a@b\n\nhello\n");
  WriteFile(folder + "/mail/inbox.snm", "summary");
  WriteFile(folder + "/mail/trash", "From spam@x\n\nbuy\n");
  WriteFile(folder + "/mail/.hidden", "not saved");
  if (withNews) WriteFile(folder + "/news/host-news/nsmail.rc", "subscriptions");
}

std::vector<ArchivedObject> SavedObjects(const std::string& folder, bool withNews) {
  std::vector<ArchivedObject> objects;
  for (const char* name : {"bookmark.htm", "pab.na2", "prefs.js", "mail/archive.sbd/y2001",
                           "mail/inbox", "mail/inbox.snm", "mail/trash"})
    objects.push_back({kObjectFile, folder + "/" + name, 1, name});
  if (withNews)
    objects.push_back(
        {kObjectFile, folder + "/news/host-news/nsmail.rc", 1, "news/host-news/nsmail.rc"});
  return objects;
}

// Every file below the folders, by full path.
std::map<std::string, std::string> Snapshot(const std::vector<std::string>& roots) {
  std::map<std::string, std::string> files;
  for (const std::string& root : roots)
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file()) files[entry.path().string()] = ReadFile(entry.path().string());
  return files;
}

class NavigatorTest : public testing::ClientServiceFixture {
 protected:
  // Netscape 4.79 with two profiles in the Windows directory's "nsreg.dat".
  void Install479() {
    WriteString(kNavigatorKey, "CurrentVersion", "4.79 (en)");
    WriteString(kWindowsNtKey, "SystemRoot", data / "Windows");
    testing::WriteFileBytes(nsreg, testing::NsregBytes({{"alice", alice}, {"bob", bob}}));
    MakeProfile(alice, true);
    MakeProfile(bob, false);
    WriteDword(kBiffUsers, "alice", 1);
    WriteString(std::string(kBiffUsers) + "\\bob", "server", "pop.example.net");
  }

  ComPtr<NavigatorService> NewService() {
    auto service = ComPtr<NavigatorService>::Attach(new NavigatorService);
    service->SetWaits({{300ms, 300ms, 20ms}, {3, 20ms, 5ms}});
    return service;
  }
  HRESULT Backup() {
    return testing::BackupToArchive(NewService().get(), kClsid, archive, progress);
  }
  HRESULT Restore(testing::RecordingProgress& restoreProgress) {
    return testing::RestoreFromArchive(NewService().get(), archive, restoreProgress);
  }
  void SetSwitches(uint32_t closeIfRun, uint32_t restart) {
    WriteDword(BackuperKey(), kOptCloseIfRun, closeIfRun);
    WriteDword(BackuperKey(), kOptRestartAfterBackup, restart);
  }

  const std::string alice = data / "Users/alice";
  const std::string bob = data / "Netscape Users/bob";
  const std::string nsreg = data / "Windows/nsreg.dat";
};

TEST_F(NavigatorTest, BothProfilesOfTheProfileRegistryAreSavedRelativeToTheirFolders) {
  Install479();
  BOOL present = 0;
  EXPECT_EQ(NewService()->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 1);

  ASSERT_EQ(Backup(), S_OK);
  const auto section = testing::ReadSection(archive, kClsid);
  ASSERT_TRUE(section.present);
  std::vector<ArchivedObject> expected = {{kObjectFile, nsreg, 1, "nsreg.dat"}};
  for (const auto& object : SavedObjects(alice, true)) expected.push_back(object);
  for (const auto& object : SavedObjects(bob, false)) expected.push_back(object);
  expected.push_back({kObjectRegistryKey, kBiffUsers, 1, ""});
  EXPECT_EQ(section.objects, expected);
  EXPECT_EQ(section.totalWeight, static_cast<LONG>(expected.size()));
  EXPECT_EQ(section.options, std::vector<uint8_t>(8, 0));
  EXPECT_TRUE(countdowns.empty());
}

TEST_F(NavigatorTest, Version408TakesItsProfilesFromTheUsersKey) {
  Install479();  // its nsreg.dat must not matter now
  WriteString(kNavigatorKey, "CurrentVersion", "4.08 [en] (Win95; I)");
  const std::string communicator = data / "Program Files/Netscape/Communicator";
  const std::string relative = communicator + "/Program/bob";
  MakeProfile(relative, false);
  WriteString(kMainKey, "Install Directory", communicator);
  WriteString(std::string(kUsersKey) + "\\alice", "DirRoot", alice);
  WriteString(std::string(kUsersKey) + "\\bob", "DirRoot", "bob");
  WriteString(std::string(kUsersKey) + "\\carol", "DirRoot", "");

  ASSERT_EQ(Backup(), S_OK);
  std::vector<ArchivedObject> expected = SavedObjects(alice, true);
  for (const auto& object : SavedObjects(relative, false)) expected.push_back(object);
  expected.push_back({kObjectRegistryKey, kUsersKey, 1, ""});
  EXPECT_EQ(testing::ReadSection(archive, kClsid).objects, expected);

  // Without the installation folder a relative "DirRoot" leads nowhere.
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER,
                          "Software\\Netscape\\Netscape Navigator\\Main");
  EXPECT_EQ(ProfilesFromUsersKey(), (std::vector<std::string>{alice}));
}

TEST_F(NavigatorTest, OnlyAnInstalledNetscape4IsBackedUp) {
  EXPECT_EQ(LeadingVersionNumber("4.79 (en)"), 4.79);
  EXPECT_EQ(LeadingVersionNumber(" 4.5"), 4.5);
  EXPECT_FALSE(LeadingVersionNumber("Communicator 4.7"));

  Install479();
  EXPECT_EQ(NewService()->Backup(nullptr, &progress), E_POINTER);
  for (const char* version : {"5.0", "3.04 (en)", "", "new"}) {
    WriteString(kNavigatorKey, "CurrentVersion", version);
    testing::RecordingProgress attempt;
    EXPECT_EQ(testing::BackupToArchive(NewService().get(), kClsid, archive, attempt), E_FAIL)
        << version;
    EXPECT_TRUE(attempt.firstSteps.empty()) << version;
    EXPECT_FALSE(fs::exists(archive)) << version;
  }
  BOOL present = 0x70000;
  EXPECT_EQ(NewService()->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 0x70001);  // "new" is there, just not a 4.x; the upper half is the caller's
  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Netscape");
  EXPECT_EQ(NewService()->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 0x70000);
}

TEST_F(NavigatorTest, RefusedCountdownCancelsTheBackup) {
  Install479();
  SetSwitches(0, 1);
  countdownAnswer = IDCANCEL;
  testing::HelperProcess netscape(data.path(), "netscape.exe");
  EXPECT_EQ(Backup(), E_FAIL);
  EXPECT_EQ(countdowns,
            (std::vector<std::string>{"One or more instances of Netscape are currently running."}));
  EXPECT_EQ(progress.messages, (std::vector<std::string>{kRunningText, "Termination canceled"}));
  EXPECT_TRUE(platform::ProcessAlive(netscape.pid()));
  EXPECT_FALSE(testing::ReadSection(archive, kClsid).present);
}

TEST_F(NavigatorTest, NetscapeClosedWithoutAskingIsStartedAgainForMail) {
  Install479();
  SetSwitches(1, 1);
  {
    testing::HelperProcess netscape(data.path(), "netscape.exe", {"--ignore-term"});
    ASSERT_EQ(Backup(), S_OK);
    EXPECT_TRUE(countdowns.empty());
    EXPECT_FALSE(platform::ProcessAlive(netscape.pid()));
    ASSERT_GE(progress.messages.size(), 3u);
    EXPECT_EQ(progress.messages[0], kRunningText);
    EXPECT_EQ(progress.messages[1], "Termination succeeded");
    EXPECT_EQ(progress.messages.back(), "Restarting Netscape succeeded");

    std::optional<clients::ProcessMatch> restarted;
    ASSERT_TRUE(testing::WaitUntilRunning(netscape.path()));
    restarted = clients::FindRunningProgram(netscape.path());
    ASSERT_TRUE(restarted);
    const std::string commandLine =
        ReadFile("/proc/" + std::to_string(restarted->processId) + "/cmdline");
    EXPECT_NE(commandLine.find(std::string("\0-mail", 6)), std::string::npos);
    EXPECT_TRUE(clients::TerminateProgram(*restarted, 3s, 20ms));
  }
  // A Netscape that was not running is not started.
  progress.messages.clear();
  ASSERT_EQ(Backup(), S_OK);
  for (const std::string& message : progress.messages)
    EXPECT_EQ(message.find("Restarting"), std::string::npos) << message;
}

TEST_F(NavigatorTest, RestorePutsEveryFileAndTheKeyBackAndKeepsWhatTheArchiveLacks) {
  Install479();
  // The selection says "no Trash"; whole profiles are saved all the same.
  for (size_t item = 0; item < kItemCount; ++item)
    WriteDword(BackuperKey(), ItemValueName(item), item == 7 ? 0 : 1);
  const std::vector<std::string> roots = {data / "Users", data / "Netscape Users",
                                          data / "Windows"};
  const auto saved = Snapshot(roots);
  const std::string keyBefore = Export(kBiffUsers);
  ASSERT_EQ(Backup(), S_OK);

  fs::remove_all(bob);
  fs::remove(nsreg);
  WriteFile(alice + "/prefs.js", "changed since");
  WriteFile(alice + "/mail/drafts", "written after the backup");
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "Software\\Netscape");

  // With the profile registry gone, this machine names no profile folders:
  // each folder the archive names is asked about, and allowed.
  testing::RecordingProgress restoreProgress;
  restoreProgress.defaultPromptAnswer = IDYES;
  ASSERT_EQ(Restore(restoreProgress), S_OK);
  for (const auto& prompt : restoreProgress.prompts)
    EXPECT_EQ(prompt.type, kPromptRestoreToSavedPlace);
  auto restored = Snapshot(roots);
  EXPECT_EQ(restored[alice + "/mail/drafts"], "written after the backup");
  restored.erase(alice + "/mail/drafts");
  auto expected = saved;
  for (const char* unsaved : {"/.lock", "/cache/0A1B.jpg", "/mail/.hidden"})
    expected.erase(bob + unsaved);
  EXPECT_TRUE(restored == expected);  // (the files are too large to print)
  EXPECT_EQ(Export(kBiffUsers), keyBefore);
  EXPECT_EQ(ReadItemSelection(RestorerKey()), (ItemSelection{1, 1, 1, 1, 1, 1, 1, 0}));
}

TEST_F(NavigatorTest, AFileThatCannotBeWrittenFailsTheRestoreButNotTheOthers) {
  Install479();
  ASSERT_EQ(Backup(), S_OK);
  fs::remove_all(alice);
  fs::remove_all(bob);
  WriteFile(alice + "/mail", "a file where the mail folder was");

  testing::RecordingProgress restoreProgress;
  EXPECT_EQ(Restore(restoreProgress), E_FAIL);
  EXPECT_FALSE(restoreProgress.clientErrors.empty());
  EXPECT_EQ(ReadFile(alice + "/prefs.js"),
            "user_pref(\"mail.directory\", \"" + alice + "/mail\");\n");
  EXPECT_EQ(ReadFile(bob + "/mail/inbox"), "From a@b\n\nhello\n");
}

TEST_F(NavigatorTest, RestoreWaitsUntilNetscapeIsClosed) {
  Install479();
  ASSERT_EQ(Backup(), S_OK);
  fs::remove_all(bob);
  testing::HelperProcess netscape(data.path(), "netscape.exe");
  testing::RecordingProgress restoreProgress;
  restoreProgress.promptAnswers = {IDCANCEL};
  EXPECT_EQ(Restore(restoreProgress), E_FAIL);
  ASSERT_EQ(restoreProgress.prompts.size(), 1u);
  EXPECT_EQ(restoreProgress.prompts[0].type, 0x31u);
  EXPECT_NE(restoreProgress.prompts[0].text.find("Close Netscape and press OK"), std::string::npos);
  EXPECT_EQ(restoreProgress.messages.back(), "Operation canceled");
  EXPECT_FALSE(fs::exists(bob));
}

TEST_F(NavigatorTest, DamagedOrMissingProfileRegistryFailsBeforeNetscapeIsTouched) {
  Install479();
  SetSwitches(1, 0);
  testing::HelperProcess netscape(data.path(), "netscape.exe");
  const auto attempt = [&](const std::string& expectedStart) {
    testing::RecordingProgress run;
    EXPECT_EQ(testing::BackupToArchive(NewService().get(), kClsid, archive, run), E_FAIL);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].rfind(expectedStart, 0), 0u) << run.messages[0];
    EXPECT_TRUE(run.firstSteps.empty());
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_TRUE(platform::ProcessAlive(netscape.pid()));
  };

  // Another magic number in front of perfectly good profile entries.
  testing::WriteFileBytes(nsreg, testing::NsregBytes({{"alice", alice}}, 0x0BADF11E));
  attempt("The Netscape profile registry is damaged: " + nsreg);
  testing::WriteFileBytes(nsreg, {0x41, 0x44});
  attempt("The Netscape profile registry is damaged: " + nsreg);
  fs::remove(nsreg);
  attempt("The Netscape profile registry cannot be read: " + nsreg);
  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT");
  attempt("The Windows directory is not known");
}

TEST_F(NavigatorTest, ItemSelectionTravelsAsEightBytes) {
  const uint8_t chosen[kItemCount] = {1, 0, 1, 1, 0, 1, 0, 7};
  for (size_t item = 0; item < kItemCount; ++item)
    WriteDword(BackuperKey(), ItemValueName(item), chosen[item]);
  auto service = NewService();
  Variant options;
  ASSERT_EQ(service->GetOptions(&options), S_OK);
  EXPECT_EQ(options.get().vt, VT_ARRAY | VT_UI1);
  EXPECT_EQ(ByteArrayOf(options.get()), (std::vector<uint8_t>{1, 0, 1, 1, 0, 1, 0, 1}));

  // The archived bytes replace whatever the restorer key held.
  WriteString(RestorerKey(), "Stale", "left over");
  VARIANT archived = MakeByteArrayVariant({0, 1, 0, 0, 1, 0, 1, 0, 9});
  EXPECT_EQ(service->SetOptions(archived), S_OK);
  VariantClear(&archived);
  EXPECT_EQ(ReadItemSelection(RestorerKey()), (ItemSelection{0, 1, 0, 0, 1, 0, 1, 0}));
  EXPECT_EQ(clients::ListValues(RestorerKey()).size(), kItemCount);

  // A short array sets what it holds; the rest stay missing.
  archived = MakeByteArrayVariant({1, 1});
  EXPECT_EQ(service->SetOptions(archived), S_OK);
  VariantClear(&archived);
  EXPECT_EQ(clients::ListValues(RestorerKey()).size(), 2u);

  // No byte array: refused, or (a tag sharing one of its bits) left alone.
  Variant text;
  text.get() = MakeStringVariant("1");
  EXPECT_EQ(service->SetOptions(text.get()), E_INVALIDARG);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 0x01010101;
  EXPECT_EQ(service->SetOptions(number), S_OK);
  EXPECT_EQ(clients::ListValues(RestorerKey()).size(), 2u);
}

TEST_F(NavigatorTest, ModuleRegistersAsNetscape4xAndAnswersTheProgram) {
  ASSERT_EQ(RegisterModuleFile(testing::BinDir() + "/Navigator4x.so"), S_OK)
      << LastComponentError();
  EXPECT_EQ(
      clients::ReadString(
          std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvik Systems\\Backup Vopal\\") + kClsid,
          "Name"),
      "Netscape 4.x");

  ComPtr<IBkVpService> service;
  ASSERT_EQ(CreateInstance(CLSID_BkVpNavigator4xSrv, service), S_OK) << LastComponentError();
  const auto info = [&](const char* property, VARIANT* value) {
    Bstr name(property);
    return service->GetClientInfo(name.get(), value);
  };
  Variant name, hasBackup;
  ASSERT_EQ(info("ClientName", &name), S_OK);
  EXPECT_EQ(ToAnsi(name.get().bstrVal), "Netscape 4x");
  ASSERT_EQ(info("HasBackup", &hasBackup), S_OK);
  ASSERT_EQ(hasBackup.get().vt, VT_BSTR);
  EXPECT_EQ(ToAnsi(hasBackup.get().bstrVal), "");
}

}  // namespace
}  // namespace bkvp::navigator
