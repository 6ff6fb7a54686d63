#include "clients/outlookexp/outlookexp_service.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "clients/common/registry_access.h"
#include "clients/outlookexp/outlookexp_backup.h"
#include "contract/component.h"
#include "platform/registry.h"
#include "tests/clients/common/archive_harness.h"
#include "tests/clients/common/client_service_fixture.h"
#include "tests/clients/common/helper_process.h"
#include "tests/support/test_support.h"

namespace bkvp::outlookexp {
namespace {

using namespace std::chrono_literals;
using clients::ReadString;
using clients::WriteDword;
using clients::WriteString;
using testing::ArchivedObject;
using testing::ReadFile;
using testing::WriteFile;

namespace fs = std::filesystem;

const char kClsid[] = "{045DAD87-41B3-41FF-8B2E-357B39E46F77}";
const char kIds[] = "HKEY_CURRENT_USER\\Identities";
const char kAccounts[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager";
const char kWab[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\WAB";
const char kOe[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express";
const char kOe5[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express\\5.0";
const char kSettings[] = "\\SOFTWARE\\Microsoft\\Outlook Express\\5.0";

// A user's Outlook Express as the registry and the disk hold it: two
// identities, one whose store root uses an environment reference and one
// that shares the main store root; an address book; accounts.
class OutlookExpTest : public testing::ClientServiceFixture {
 protected:
  void SetUp() override {
    ClientServiceFixture::SetUp();
    setenv("UserProfile", (data / "profile").c_str(), 1);
    identityStore =
        data / "profile/Local Settings/Application Data/Identities/{A}/Microsoft/Outlook Express";
    mainStore = data / "Mail Store";
    wabFile = data / "Address Book/user.wab";

    WriteString(kIds, "Default User ID", "{A}");
    WriteString(std::string(kIds) + "\\{A}", "Username", "Main Identity");
    WriteString(
        std::string(kIds) + "\\{A}" + kSettings, "Store Root",
        "%USERPROFILE%/Local Settings/Application Data/Identities/{A}/Microsoft/Outlook Express");
    WriteDword(std::string(kIds) + "\\{A}" + kSettings, "Running", 1);
    WriteString(std::string(kIds) + "\\{B}", "Username", "Work");
    WriteString(std::string(kIds) + "\\{B}" + kSettings, "Store Root", mainStore);
    WriteString(std::string(kAccounts) + "\\Accounts\\00000001", "Account Name",
                "mail.example.org");
    WriteString(std::string(kWab) + "\\WAB4\\Wab File Name", "", wabFile);
    WriteString(kOe, "InstallRoot", "/opt/oe");
    WriteString(kOe5, "Store Root", mainStore);
    WriteDword(kOe5, "Running", 1);

    WriteFile(identityStore + "/Inbox.dbx", "identity inbox");
    WriteFile(identityStore + "/Folders.dbx", "identity folders");
    WriteFile(mainStore + "/Inbox.dbx", "main inbox");
    WriteFile(mainStore + "/Sent Items.dbx", std::string(200000, 's'));
    WriteFile(wabFile, "address book");
  }
  void TearDown() override {
    unsetenv("UserProfile");
    ClientServiceFixture::TearDown();
  }

  ComPtr<OutlookExpService> NewService() {
    auto service = ComPtr<OutlookExpService>::Attach(new OutlookExpService);
    service->SetWaits({{200ms, 200ms, 20ms}, {3, 20ms, 5ms}});
    return service;
  }
  HRESULT Backup() {
    return testing::BackupToArchive(NewService().get(), kClsid, archive, progress);
  }
  HRESULT Restore(testing::RecordingProgress& restoreProgress) {
    return testing::RestoreFromArchive(NewService().get(), archive, restoreProgress);
  }
  // Removes the program's data from disk and registry, keeping the archive.
  void Wipe() {
    fs::remove_all(data / "profile");
    fs::remove_all(mainStore);
    fs::remove_all(data / "Address Book");
    for (const char* key : {kIds, kAccounts, kWab, kOe})
      platform::RegDeleteTree(platform::HKEY_CURRENT_USER, key + sizeof "HKEY_CURRENT_USER");
  }

  std::string identityStore, mainStore, wabFile;
};

TEST_F(OutlookExpTest, BackupStoresTheKeysThenEachFileOnce) {
  ASSERT_EQ(Backup(), S_OK);
  const auto section = testing::ReadSection(archive, kClsid);
  ASSERT_TRUE(section.present);
  const std::vector<ArchivedObject> expected = {
      {kObjectRegistryKey, kIds, 1, ""},
      {kObjectRegistryKey, kAccounts, 1, ""},
      {kObjectRegistryKey, kWab, 1, ""},
      {kObjectRegistryKey, kOe, 1, ""},
      {kObjectFile, identityStore + "/Folders.dbx", 1, "Outlook Express/Folders.dbx"},
      {kObjectFile, identityStore + "/Inbox.dbx", 1, "Outlook Express/Inbox.dbx"},
      // Identity {B} and the main store root name the same folder: once.
      {kObjectFile, mainStore + "/Inbox.dbx", 1, "Mail Store/Inbox.dbx"},
      {kObjectFile, mainStore + "/Sent Items.dbx", 1, "Mail Store/Sent Items.dbx"},
      {kObjectFile, wabFile, 1, "user.wab"},
  };
  EXPECT_EQ(section.objects, expected);
  EXPECT_EQ(section.totalWeight, 9);
}

TEST_F(OutlookExpTest, WithoutIdentitiesTheMainStoreRootIsTakenAsWritten) {
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "Identities");
  // The same reference in the 5.0 key's store root is not expanded, so that
  // folder is not found and left out.
  WriteString(
      kOe5, "Store Root",
      "%USERPROFILE%/Local Settings/Application Data/Identities/{A}/Microsoft/Outlook Express");
  WriteString(kOe, "Store Root", mainStore);
  const BackupPlan plan = PlanBackup();
  EXPECT_EQ(plan.keys, (std::vector<std::string>{kAccounts, kWab, kOe}));
  ASSERT_EQ(plan.files.size(), 1u);
  EXPECT_EQ(plan.files[0].path, wabFile);

  // Without a 5.0 key the main key's store root counts.
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Outlook Express\\5.0");
  EXPECT_EQ(PlanBackup().files.size(), 3u);
}

TEST_F(OutlookExpTest, RestoreIntoAnEmptiedMachineBringsEverythingBack) {
  const std::string identitiesBefore = Export(kIds), accountsBefore = Export(kAccounts),
                    wabBefore = Export(kWab), oeBefore = Export(kOe);
  ASSERT_EQ(Backup(), S_OK);
  Wipe();
  ASSERT_FALSE(fs::exists(mainStore));

  // "Continue anyway?" and, for each store this machine no longer names,
  // whether its files may go back where the archive says: Yes.
  testing::RecordingProgress restoreProgress;
  restoreProgress.defaultPromptAnswer = IDYES;
  EXPECT_EQ(Restore(restoreProgress), S_OK);
  ASSERT_EQ(restoreProgress.prompts.size(), 4u);  // no identities here before the restore
  EXPECT_EQ(restoreProgress.prompts[0].type, 0x34u);
  for (size_t i = 1; i < restoreProgress.prompts.size(); ++i)
    EXPECT_EQ(restoreProgress.prompts[i].type, kPromptRestoreToSavedPlace)
        << restoreProgress.prompts[i].text;
  EXPECT_NE(
      restoreProgress.prompts[2].text.find(mainStore + ", where Outlook Express keeps no data"),
      std::string::npos)
      << restoreProgress.prompts[2].text;

  EXPECT_EQ(ReadFile(identityStore + "/Inbox.dbx"), "identity inbox");
  EXPECT_EQ(ReadFile(identityStore + "/Folders.dbx"), "identity folders");
  EXPECT_EQ(ReadFile(mainStore + "/Inbox.dbx"), "main inbox");
  EXPECT_EQ(ReadFile(mainStore + "/Sent Items.dbx"), std::string(200000, 's'));
  EXPECT_EQ(ReadFile(wabFile), "address book");
  EXPECT_EQ(Export(kAccounts), accountsBefore);
  EXPECT_EQ(Export(kWab), wabBefore);
  // Everything comes back as saved, except that no copy of the program
  // believes it is still running.
  const auto notRunning = [](std::string text) {
    for (size_t at; (at = text.find("\"Running\"=dword:00000001")) != std::string::npos;)
      text.replace(at, 24, "\"Running\"=dword:00000000");
    return text;
  };
  EXPECT_EQ(Export(kIds), notRunning(identitiesBefore));
  EXPECT_EQ(Export(kOe), notRunning(oeBefore));
  EXPECT_EQ(clients::ReadDword(kOe5, "Running"), 0u);
}

TEST_F(OutlookExpTest, ExistingMainIdentityIsRenamedBeforeTheSavedOnesReturn) {
  ASSERT_EQ(Backup(), S_OK);
  Wipe();
  const std::string other = std::string(kIds) + "\\{C}";
  WriteString(std::string(kIds) + "\\{0}", "Username", "Kids");
  WriteString(other, "Username", "Main Identity");
  WriteDword(other + kSettings, "Running", 1);

  testing::RecordingProgress restoreProgress;
  restoreProgress.defaultPromptAnswer = IDYES;  // the stores may come back
  EXPECT_EQ(Restore(restoreProgress), S_OK);
  for (const auto& prompt : restoreProgress.prompts)
    EXPECT_EQ(prompt.type, kPromptRestoreToSavedPlace);
  EXPECT_EQ(ReadString(other, "Username"), "Main Identity (* old *)");
  EXPECT_EQ(ReadString(std::string(kIds) + "\\{0}", "Username"), "Kids");
  EXPECT_EQ(ReadString(std::string(kIds) + "\\{A}", "Username"), "Main Identity");
  EXPECT_EQ(clients::ReadDword(other + kSettings, "Running"), 0u);
  EXPECT_EQ(clients::ReadDword(std::string(kIds) + "\\{A}" + kSettings, "Running"), 0u);
}

TEST_F(OutlookExpTest, NoToTheVersionQuestionStopsTheRestoreAtOnce) {
  ASSERT_EQ(Backup(), S_OK);
  Wipe();
  testing::RecordingProgress restoreProgress;
  restoreProgress.promptAnswers = {IDNO};
  EXPECT_EQ(Restore(restoreProgress), E_FAIL);
  ASSERT_EQ(restoreProgress.prompts.size(), 1u);
  EXPECT_EQ(restoreProgress.prompts[0].text,
            "Installed mail client possibly have improper version.\r\n Continue anyway?");
  EXPECT_FALSE(clients::KeyExists(kIds));
  EXPECT_FALSE(clients::KeyExists(kAccounts));
  EXPECT_FALSE(fs::exists(mainStore));
}

TEST_F(OutlookExpTest, RestoreWaitsForTheProgramToBeClosed) {
  ASSERT_EQ(Backup(), S_OK);
  Wipe();
  testing::HelperProcess running(data.path(), "msimn.exe");
  testing::RecordingProgress restoreProgress;
  restoreProgress.promptAnswers = {IDOK, IDCANCEL};
  EXPECT_EQ(Restore(restoreProgress), E_FAIL);
  ASSERT_EQ(restoreProgress.prompts.size(), 2u);
  EXPECT_EQ(restoreProgress.prompts[0].type, 0x31u);
  EXPECT_NE(restoreProgress.prompts[0].text.find("Close Outlook Express"), std::string::npos);
  EXPECT_EQ(restoreProgress.messages.back(), "Operation canceled");
  EXPECT_FALSE(fs::exists(mainStore));
  EXPECT_FALSE(clients::KeyExists(kAccounts));
}

TEST_F(OutlookExpTest, FileThatCannotBeWrittenIsSkippedOrStopsTheRestore) {
  ASSERT_EQ(Backup(), S_OK);
  Wipe();
  // A plain file where the store folder belongs: its files cannot be created.
  WriteFile(mainStore, "in the way");

  testing::RecordingProgress skipping;  // every file error answered Ignore
  skipping.defaultPromptAnswer = IDYES;
  EXPECT_EQ(Restore(skipping), E_FAIL);
  EXPECT_EQ(skipping.clientErrors.size(), 2u);
  EXPECT_EQ(ReadFile(wabFile), "address book");  // objects after the failures came back

  fs::remove_all(data / "Address Book");
  clients::WriteDword(kOe5, "Running", 1);
  testing::RecordingProgress stopping;
  stopping.defaultPromptAnswer = IDYES;
  stopping.clientErrorAnswers = {IDCANCEL};
  EXPECT_EQ(Restore(stopping), E_FAIL);
  EXPECT_EQ(stopping.clientErrors.size(), 1u);
  EXPECT_FALSE(fs::exists(wabFile));                   // nothing after the cancelled file
  EXPECT_EQ(clients::ReadDword(kOe5, "Running"), 0u);  // the reset runs all the same
}

TEST_F(OutlookExpTest, BackupFailingOnAFileLeavesNoSection) {
  // A file that exists but cannot be read, whoever asks: the address book
  // comes last, so everything before it was stored and must go again.
  WriteString(std::string(kWab) + "\\WAB4\\Wab File Name", "", "/proc/self/mem");
  EXPECT_EQ(Backup(), E_FAIL);
  EXPECT_FALSE(testing::ReadSection(archive, kClsid).present);
}

TEST_F(OutlookExpTest, PresentWhileItsMainKeyExists) {
  ASSERT_EQ(RegisterModuleFile(testing::BinDir() + "/BkVpOutlookExp.so"), S_OK)
      << LastComponentError();
  ComPtr<IBkVpService> service;
  ASSERT_EQ(CreateInstance(CLSID_BkVpOutlookXSrv, service), S_OK) << LastComponentError();
  BOOL present = 0;
  EXPECT_EQ(service->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 1);
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Outlook Express");
  present = static_cast<BOOL>(0x00010001);
  service->ClientPresent(&present);
  EXPECT_EQ(present, 0x00010000);
}

}  // namespace
}  // namespace bkvp::outlookexp
