#include "clients/outlook/outlook_service.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "clients/common/client_options.h"
#include "clients/common/registry_access.h"
#include "clients/common/running_program.h"
#include "clients/outlook/outlook_strings.h"
#include "contract/icons.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "tests/clients/common/archive_harness.h"
#include "tests/clients/common/client_service_fixture.h"
#include "tests/clients/common/helper_process.h"
#include "tests/support/test_support.h"

namespace bkvp::clients::embedded {
const IconSet& OutlookIcons();
}

namespace bkvp::outlook {
namespace {

using namespace std::chrono_literals;
using clients::WriteDword;
using clients::WriteString;
using testing::ArchivedObject;
using testing::ReadFile;
using testing::WriteFile;

namespace fs = std::filesystem;

const char kClsid[] = "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}";
const char kMessaging[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging Subsystem";
const char kProfiles[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
const char kSettings8[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\8.0\\Outlook";
const char kSettings9[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook";
const char kSettingsCommon[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook";
const char kRunningText[] =
    "One or more instances of Outlook are currently running.\r\nOutlook will be automatically "
    "closed in 60 seconds.";

// Outlook 2000 as the registry and the disk hold it: two mail profiles whose
// sections name personal folder files (one of them twice, once in upper
// case, once as binary data that does not count), settings keys, and
// "extend.dat" in the local application-data folder.
class OutlookTest : public testing::ClientServiceFixture {
 protected:
  void SetUp() override {
    ClientServiceFixture::SetUp();
    mainPst = data / "Mail/outlook.pst";
    workPst = data / "Work Mail/archive.pst";
    extendDat = data / "Local/Microsoft/Outlook/extend.dat";
    WriteString(kInstallRoot9, "Path", data / "Office");
    WriteString(kMessaging, "MAPI", "1");
    WriteString(kProfiles, "DefaultProfile", "Outlook");
    const std::string outlook = std::string(kProfiles) + "\\Outlook";
    WriteString(outlook + "\\0a0d020000000000c000000000000046", "001e6700", mainPst);
    WriteString(outlook + "\\1b2c", "001E6700", mainPst);
    platform::RegWriteBinary(outlook + "\\3d4e", "001e6700",
                             std::vector<uint8_t>(workPst.begin(), workPst.end()));
    WriteString(std::string(kProfiles) + "\\Work\\9f00", "001e6700", workPst);
    WriteDword(kSettings9, "Security", 3);
    WriteString(kSettingsCommon, "Setup", "done");
    WriteString(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Local AppData", data / "Local");

    WriteFile(mainPst, std::string(300000, 'm'));
    WriteFile(workPst, "work mail");
    WriteFile(extendDat, "extensions");
  }

  ComPtr<OutlookService> NewService() {
    auto service = ComPtr<OutlookService>::Attach(new OutlookService);
    service->SetWaits({{300ms, 300ms, 20ms}, {3, 20ms, 5ms}});
    service->SetReadableWait({200ms, 20ms, 20ms});
    return service;
  }
  HRESULT Backup(IBkVpService* service, bool askOptions = true) {
    return testing::BackupToArchive(service, kClsid, archive, progress, askOptions);
  }
  void SetSwitches(uint32_t autoClose, uint32_t autoRestart) {
    const std::string key = clients::ClientOptionKey(kClsid, clients::kBackuperSubkey);
    WriteDword(key, clients::kOptAutoClose, autoClose);
    WriteDword(key, clients::kOptAutoRestart, autoRestart);
  }

  std::string mainPst, workPst, extendDat;
};

TEST_F(OutlookTest, ScheduledBackupDetectsTheGenerationAndSavesFilesThenKeys) {
  // A scheduled run never asks ClientPresent first; neither does this one
  // ask for the options.
  auto service = NewService();
  ASSERT_EQ(Backup(service.get(), false), S_OK);
  const auto section = testing::ReadSection(archive, kClsid);
  ASSERT_TRUE(section.present);
  const std::vector<ArchivedObject> expected = {
      {kObjectFile, mainPst, 1, "outlook.pst"},  {kObjectFile, workPst, 1, "archive.pst"},
      {kObjectFile, extendDat, 1, "extend.dat"}, {kObjectRegistryKey, kMessaging, 1, ""},
      {kObjectRegistryKey, kSettings9, 1, ""},   {kObjectRegistryKey, kSettingsCommon, 1, ""},
  };
  EXPECT_EQ(section.objects, expected);
  EXPECT_EQ(section.totalWeight, 6);
  EXPECT_TRUE(countdowns.empty());
}

TEST_F(OutlookTest, GenerationComesFromTheInstallRoots) {
  EXPECT_EQ(SettingsKeys(kGeneration8),
            (std::vector<std::string>{kMessaging, kSettings8, kSettingsCommon}));
  EXPECT_EQ(SettingsKeys(kGenerationUnknown), (std::vector<std::string>{kSettingsCommon}));

  auto service = NewService();
  BOOL present = 0;
  EXPECT_EQ(service->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 1);
  EXPECT_EQ(service->CurrentGeneration(), kGeneration9);

  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\9.0");
  WriteString(kInstallRoot8, "", data / "Office97");
  auto older = NewService();
  Variant options;
  EXPECT_EQ(older->GetOptions(&options), S_OK);
  EXPECT_EQ(ByteArrayOf(options.get()), (std::vector<uint8_t>{1}));

  // Nothing installed: not present, and a generation already known stays.
  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office");
  present = 0;
  EXPECT_EQ(older->ClientPresent(&present), S_OK);
  EXPECT_EQ(present, 0);
  EXPECT_EQ(older->CurrentGeneration(), kGeneration8);
}

TEST_F(OutlookTest, IconFollowsTheDetectedOrElseTheArchivedGeneration) {
  const auto iconOf = [](IBkVpService& service) {
    Variant icon;
    icon.get().vt = VT_I4;
    Bstr name("ClientIcon");
    EXPECT_EQ(service.GetClientInfo(name.get(), &icon), S_OK);
    const auto bytes = IconBytes(static_cast<uint32_t>(icon.get().lVal));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
  };
  const auto picture = [](int id) {
    for (const auto& icon : clients::embedded::OutlookIcons())
      if (icon.id == id) return std::string(icon.png, icon.png + icon.size);
    return std::string("no icon");
  };
  const std::string icon201 = picture(201), icon203 = picture(203);
  ASSERT_NE(icon201, icon203);
  EXPECT_EQ(iconOf(*NewService().get()), icon201);

  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office");
  auto restoring = NewService();
  EXPECT_EQ(iconOf(*restoring.get()), "");
  VARIANT saved = MakeByteArrayVariant({1});
  EXPECT_EQ(restoring->SetOptions(saved), S_OK);
  VariantClear(&saved);
  EXPECT_EQ(restoring->SavedGeneration(), 1);
  EXPECT_EQ(iconOf(*restoring.get()), icon203);
}

TEST_F(OutlookTest, RestoreIntoAnEmptiedMachineBringsEverythingBack) {
  const std::string messagingBefore = Export(kMessaging), settingsBefore = Export(kSettings9),
                    commonBefore = Export(kSettingsCommon);
  ASSERT_EQ(Backup(NewService().get()), S_OK);
  EXPECT_EQ(testing::ReadSection(archive, kClsid).options, (std::vector<uint8_t>{2}));
  fs::remove_all(data / "Mail");
  fs::remove_all(data / "Work Mail");
  fs::remove_all(data / "Local");
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "Software\\Microsoft");

  // This machine names no personal folders any more: each one's folder is
  // asked about, and allowed.
  testing::RecordingProgress restoreProgress;
  restoreProgress.defaultPromptAnswer = IDYES;
  EXPECT_EQ(testing::RestoreFromArchive(NewService().get(), archive, restoreProgress), S_OK);
  EXPECT_FALSE(restoreProgress.prompts.empty());
  for (const auto& prompt : restoreProgress.prompts)
    EXPECT_EQ(prompt.type, kPromptRestoreToSavedPlace);
  EXPECT_EQ(ReadFile(mainPst), std::string(300000, 'm'));
  EXPECT_EQ(ReadFile(workPst), "work mail");
  EXPECT_EQ(ReadFile(extendDat), "extensions");
  EXPECT_EQ(Export(kMessaging), messagingBefore);
  EXPECT_EQ(Export(kSettings9), settingsBefore);
  EXPECT_EQ(Export(kSettingsCommon), commonBefore);
}

TEST_F(OutlookTest, RunningOutlookIsClosedAndStartedAgainWhenAsked) {
  SetSwitches(1, 5);  // any non-zero value is on
  testing::HelperProcess outlook(data.path(), "OUTLOOK.EXE", {"--ignore-term"});
  auto service = NewService();
  ASSERT_EQ(Backup(service.get()), S_OK);
  EXPECT_TRUE(countdowns.empty());
  EXPECT_FALSE(platform::ProcessAlive(outlook.pid()));
  ASSERT_GE(progress.messages.size(), 3u);
  EXPECT_EQ(progress.messages.front(), kRunningText);
  EXPECT_EQ(progress.messages[1], "Termination succeeded");
  EXPECT_EQ(progress.messages.back(), "Restarting Outlook succeeded");
  EXPECT_TRUE(testing::ReadSection(archive, kClsid).present);
  ASSERT_TRUE(testing::WaitUntilRunning(outlook.path()));
  EXPECT_TRUE(clients::TerminateProgram(*clients::FindRunningProgram(outlook.path()), 3s, 20ms));
}

TEST_F(OutlookTest, RefusedCountdownSavesNothing) {
  SetSwitches(0, 1);
  countdownAnswer = IDCANCEL;
  testing::HelperProcess outlook(data.path(), "Outlook.exe");
  EXPECT_EQ(Backup(NewService().get()), E_FAIL);
  EXPECT_EQ(countdowns.size(), 1u);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{kRunningText, "Termination canceled"}));
  EXPECT_TRUE(platform::ProcessAlive(outlook.pid()));
  EXPECT_FALSE(testing::ReadSection(archive, kClsid).present);
}

TEST_F(OutlookTest, CountdownRunningOutClosesButDoesNotRestartWithoutAutoClose) {
  SetSwitches(0, 1);
  testing::HelperProcess outlook(data.path(), "Outlook.exe");
  EXPECT_EQ(Backup(NewService().get()), S_OK);
  EXPECT_EQ(countdowns.size(), 1u);
  EXPECT_EQ(progress.messages[1], "Termination succeeded");
  for (const std::string& message : progress.messages)
    EXPECT_EQ(message.find("Restarting"), std::string::npos) << message;
  EXPECT_TRUE(outlook.Reap());
  EXPECT_FALSE(clients::FindRunningProgram(outlook.path()));
}

TEST_F(OutlookTest, RestoreWaitsForOutlookToBeClosed) {
  ASSERT_EQ(Backup(NewService().get()), S_OK);
  fs::remove_all(data / "Mail");
  testing::HelperProcess outlook(data.path(), "Outlook.exe");
  testing::RecordingProgress restoreProgress;
  restoreProgress.promptAnswers = {IDCANCEL};
  EXPECT_EQ(testing::RestoreFromArchive(NewService().get(), archive, restoreProgress), E_FAIL);
  ASSERT_EQ(restoreProgress.prompts.size(), 1u);
  EXPECT_NE(restoreProgress.prompts[0].text.find("Close Outlook and press OK"), std::string::npos);
  EXPECT_EQ(restoreProgress.messages.back(), "Operation canceled");
  EXPECT_FALSE(fs::exists(mainPst));
}

}  // namespace
}  // namespace bkvp::outlook
