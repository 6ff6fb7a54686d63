#include "clients/netscape/netscape_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "clients/common/client_options.h"
#include "clients/common/registry_access.h"
#include "clients/common/running_program.h"
#include "clients/netscape/profile_rewrite.h"
#include "contract/component.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "platform/processes.h"
#include "tests/clients/common/helper_process.h"
#include "tests/clients/common/registry_file_writer.h"
#include "tests/clients/netscape/profile_fixture.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_support.h"

namespace bkvp::netscape {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using bkvp::testing::ReadFile;
using bkvp::testing::RecordingProgress;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

using clients::testing::Entry;
using clients::testing::Key;
using testing::Snapshot;
using testing::Tree;

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// An archive writer whose disk prompt is cancelled as soon as a section is
// begun.
class SectionCancellingBackuper : public bkvp::DispatchObject<IBackuper> {
 public:
  int endClientCalls = 0;
  HRESULT SetProgress(IProgress*) override { return S_OK; }
  HRESULT SetVersionInfo(LONG, LONG) override { return S_OK; }
  HRESULT Reserved1(LONG, LONG, DATE) override { return S_OK; }
  HRESULT SetArchiveInfo(BSTR, BSTR, BSTR, BSTR, DATE, LONG) override { return S_OK; }
  HRESULT BeginClient(BSTR, BSTR, INT) override { throw ComError(E_FAIL); }
  HRESULT EndClient(INT) override {
    ++endClientCalls;
    return S_OK;
  }
  HRESULT BackupFile(BSTR, BSTR, BSTR, INT, BOOL) override { return S_OK; }
  HRESULT BackupRegistryKey(BSTR, BSTR, INT) override { return S_OK; }
  HRESULT SetClientOptions(BSTR, BSTR, VARIANT) override { return S_OK; }
  HRESULT GetClientOptions(BSTR, VARIANT*) override { return S_OK; }
  HRESULT GetLastError(INT*, BSTR*) override { return S_OK; }
  HRESULT StartBackup() override { return S_OK; }
  HRESULT FinishBackup(INT) override { return S_OK; }
  HRESULT BeginBackupString(BSTR, BSTR, BSTR, INT, BOOL) override { return S_OK; }
  HRESULT BackupNextPartOfString(BSTR) override { return S_OK; }
  HRESULT EndBackupString() override { return S_OK; }
};

class NetscapeServiceTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(RegisterModuleFile(bkvp::testing::BinDir() + "/BkVpSrv.so"), S_OK)
        << LastComponentError();
    auto* service = new NetscapeService(Netscape7Edition());
    service->SetWaits({{300ms, 300ms, 20ms}, {2, 20ms, 5ms}});
    service_ = ComPtr<IBkVpService>::Attach(service);
    progress_ = ComPtr<RecordingProgress>::Attach(new RecordingProgress());
  }

  // A profile whose files name the folder they live in, as the browser
  // writes them.
  void MakeProfile(const std::string& folder) {
    WriteFile(folder + "/prefs.js", "user_pref(\"mail.directory\", \"" + EscapeForPrefs(folder) +
                                        "/Mail\");\n"
                                        "user_pref(\"browser.cache.directory\", \"" +
                                        EscapeForPrefs(folder) + "/Cache\");\n");
    WriteFile(folder + "/chrome/all-skins.rdf",
              "<RDF:Description about=\"urn:skin:modern\" c:baseURL=\"jar:file:///" +
                  Encode(folder) + "/chrome/modern.jar!/\"/>\n");
    WriteFile(folder + "/chrome/modern.jar", std::string(100000, 'j'));
    WriteFile(folder + "/chrome/userContent.css", "body {}");
    WriteFile(folder + "/Mail/Local Folders/Inbox", "From a@b\n\nmail\n");
    WriteFile(folder + "/Mail/Local Folders/Inbox.msf", "summary");
    WriteFile(folder + "/ImapMail/imap.host/Sent", "From c@d\n");
    WriteFile(folder + "/cookies.txt", "cookie");
    WriteFile(folder + "/bookmarks.html", "<DL>");
    WriteFile(folder + "/cert8.db", "cert");
  }

  // The browser's profile registry names `folder` as its current profile
  // "default".
  void MakeCurrentProfile(const std::string& folder) {
    clients::WriteString(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
        "Folders",
        "AppData", dir_ / "AppData");
    const clients::testing::RegistryFileImage image(Key(
        "/", {Key("Common", {Key("Profiles", {Entry("CurrentProfile", "default"),
                                              Key("default", {Entry("directory", folder)})})})}));
    bkvp::testing::WriteFileBytes(dir_ / "AppData/Mozilla/registry.dat", image.bytes());
  }

  void SetSwitch(const char* name, uint32_t value) {
    clients::WriteDword(
        clients::ClientOptionKey(Netscape7Edition().ServiceClsidText(), clients::kBackuperSubkey),
        name, value);
  }

  void SetOption(const char* subkey, const char* name, const std::string& value) {
    clients::WriteString(clients::ClientOptionKey(Netscape7Edition().ServiceClsidText(), subkey),
                         name, value);
  }

  HRESULT Backup(const std::string& profile, const std::string& archive) {
    SetOption(clients::kBackuperSubkey, clients::kOptPath, profile);
    SetOption(clients::kBackuperSubkey, clients::kOptProfileName, "default");
    ComPtr<IBackuper> backuper;
    EXPECT_EQ(CreateInstance(CLSID_Backuper, backuper), S_OK);
    StartArchive(backuper.get(), archive);
    const HRESULT hr = service_->Backup(backuper.get(), progress_.get());
    EXPECT_EQ(backuper->FinishBackup(0), S_OK);
    return hr;
  }

  // An archive whose section holds the given files under the given names,
  // made without the client, for damaged or foreign sections.
  void WriteSection(const std::string& archive,
                    const std::vector<std::pair<std::string, std::string>>& nameAndContent) {
    ComPtr<IBackuper> backuper;
    ASSERT_EQ(CreateInstance(CLSID_Backuper, backuper), S_OK);
    fs::remove(archive);  // an archive never replaces a file
    StartArchive(backuper.get(), archive);
    const Bstr client("Netscape 7"), clsid(Netscape7Edition().ServiceClsidText());
    backuper->BeginClient(client.get(), clsid.get(), static_cast<INT>(nameAndContent.size()));
    for (const auto& [name, content] : nameAndContent) {
      // A record carries the path its data was read from.
      WriteFile(name, content);
      const Bstr file(name), local(fs::path(name).filename().string()), action("test");
      ASSERT_EQ(backuper->BackupFile(file.get(), local.get(), action.get(), 1, 0), S_OK);
    }
    backuper->EndClient(0);
    ASSERT_EQ(backuper->FinishBackup(0), S_OK);
  }

  HRESULT Restore(const std::string& archive, const std::string& target) {
    SetOption(clients::kRestorerSubkey, clients::kOptPath, target);
    ComPtr<IRestorer> restorer;
    EXPECT_EQ(CreateInstance(CLSID_Restorer, restorer), S_OK);
    restorer->SetProgress(progress_.get());
    Bstr user, machine, label;
    DATE time = 0;
    LONG clients = 0;
    const Bstr name(archive);
    EXPECT_EQ(restorer->GetArchiveInfo(name.get(), user.out(), machine.out(), label.out(), &time,
                                       &clients),
              S_OK);
    return service_->Restore(restorer.get(), progress_.get());
  }

  void StartArchive(IBackuper* backuper, const std::string& archive) {
    backuper->SetProgress(progress_.get());
    const Bstr name(archive), user("user"), machine("machine"), label("label");
    backuper->SetArchiveInfo(name.get(), user.get(), machine.get(), label.get(), 0, 1);
    ASSERT_EQ(backuper->StartBackup(), S_OK);
  }

  TempDir dir_;
  ComPtr<IBkVpService> service_;
  ComPtr<RecordingProgress> progress_;
};

TEST_F(NetscapeServiceTest, RestoreIntoTheSameFolderBringsBackTheSavedProfile) {
  const std::string profile = dir_ / "Application Data/Profiles/default/x1.slt";
  MakeProfile(profile);
  WriteFile(profile + "/Cache/_CACHE_001_", "not saved");
  const std::string archive = dir_ / "backup.KV";
  ASSERT_EQ(Backup(profile, archive), S_OK);
  EXPECT_TRUE(Contains(progress_->messages, "Successfully Backuped."));
  EXPECT_FALSE(fs::exists(profile + "/OldPath.txt"));

  Tree saved = Snapshot(profile);
  saved.erase("Cache/_CACHE_001_");
  WriteFile(profile + "/prefs.js", "changed since");
  WriteFile(profile + "/Mail/Local Folders/New", "added since");

  ASSERT_EQ(Restore(archive, profile), S_OK);
  EXPECT_TRUE(Contains(progress_->messages, "Successfully Restored."));
  EXPECT_EQ(Snapshot(profile), saved);
  EXPECT_FALSE(fs::exists(dir_ / "Application Data/Profiles/default/KV_RESTORE_FOLDER"));
  EXPECT_FALSE(fs::exists(dir_ / "Application Data/Profiles/default/KV_RESTORE_FOLDER.old"));
}

TEST_F(NetscapeServiceTest, RestoreIntoAMovedFolderRepointsPrefsAndSkins) {
  const std::string profile = dir_ / "Application Data/Profiles/default/x1.slt";
  MakeProfile(profile);
  const std::string archive = dir_ / "backup.KV";
  ASSERT_EQ(Backup(profile, archive), S_OK);

  // The target is given with a trailing separator; its own content goes.
  const std::string target = dir_ / "New Home/my profile";
  WriteFile(target + "/prefs.js", "the target's own");
  ASSERT_EQ(Restore(archive, target + "/"), S_OK);

  Tree expected = Snapshot(profile);
  Tree rewritten = Snapshot(target);
  EXPECT_EQ(rewritten["prefs.js"], "user_pref(\"mail.directory\", \"" + target +
                                       "/Mail\");\n"
                                       "user_pref(\"browser.cache.directory\", \"" +
                                       target + "/Cache\");\n");
  EXPECT_NE(rewritten["chrome/all-skins.rdf"].find("jar:file:///" + Encode(target) +
                                                   "/chrome/modern.jar"),
            std::string::npos);
  EXPECT_NE(rewritten["chrome/all-skins.rdf"].find("New%20Home/my%20profile"), std::string::npos);
  expected.erase("prefs.js");
  expected.erase("chrome/all-skins.rdf");
  rewritten.erase("prefs.js");
  rewritten.erase("chrome/all-skins.rdf");
  EXPECT_EQ(rewritten, expected);
  EXPECT_FALSE(fs::exists(dir_ / "New Home/KV_RESTORE_FOLDER"));
}

TEST_F(NetscapeServiceTest, AProfileWithoutPrefsIsRefusedBeforeAnythingIsWritten) {
  const std::string profile = dir_ / "profile";
  WriteFile(profile + "/cookies.txt", "cookie");
  ASSERT_EQ(Backup(profile, dir_ / "backup.KV"), E_FAIL);
  EXPECT_TRUE(Contains(progress_->messages, "Invalid Folder content!"));
  EXPECT_FALSE(fs::exists(profile + "/OldPath.txt"));
  EXPECT_TRUE(progress_->firstSteps.empty());  // no section was begun
  EXPECT_FALSE(fs::exists(dir_ / "backup.KV"));
}

TEST_F(NetscapeServiceTest, DamagedSectionsLeaveTheTargetUntouched) {
  // Deeper than the staging folder, so that ".." below it would lead out.
  const std::string old = dir_ / "deep/er/old";
  const std::string target = dir_ / "target";
  MakeProfile(target);
  const Tree before = Snapshot(target);
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> section;
    const char* message;
  } cases[] = {
      {"first object is not the marker",
       {{old + "/prefs.js", "p"}, {old + "/OldPath.txt", old}},
       "Can't restore Profile Location data"},
      {"marker names another folder",
       {{old + "/OldPath.txt", dir_ / "elsewhere"}, {old + "/prefs.js", "p"}},
       "Can't restore Profile Location data"},
      {"object outside the saved folder",
       {{old + "/OldPath.txt", old}, {old + "/prefs.js", "p"}, {old + "2/x", "x"}},
       "Can't restore Profile Location data"},
      {"object leading out of the staging folder",
       {{old + "/OldPath.txt", old}, {old + "/prefs.js", "p"}, {old + "/../x", "x"}},
       "Can't restore Profile Location data"},
      {"no prefs.js in the section",
       {{old + "/OldPath.txt", old}, {old + "/cookies.txt", "c"}},
       "Can't set up restored data"},
  };
  for (const auto& c : cases) {
    progress_->messages.clear();
    const std::string archive = dir_ / "damaged.KV";
    WriteSection(archive, c.section);
    EXPECT_EQ(Restore(archive, target), E_FAIL) << c.what;
    EXPECT_TRUE(Contains(progress_->messages, c.message)) << c.what;
    EXPECT_EQ(Snapshot(target), before) << c.what;
    EXPECT_FALSE(fs::exists(dir_ / "KV_RESTORE_FOLDER")) << c.what;
    EXPECT_FALSE(fs::exists(dir_ / "x")) << c.what;
  }
}

TEST_F(NetscapeServiceTest, ABrowserOnTheChosenProfileIsClosedOnlyWhenAllowedAndStartedAgain) {
  const std::string profile = dir_ / "Profiles/default";
  MakeProfile(profile);
  MakeCurrentProfile(profile);
  const std::string archive = dir_ / "backup.KV";
  {
    bkvp::testing::HelperProcess browser(dir_.path(), "Netscp.exe");
    ASSERT_EQ(Backup(profile, archive), E_FAIL);
    EXPECT_EQ(progress_->messages,
              (std::vector<std::string>{
                  "One or more instances of Netscape 7 is currently running. Backup terminated."}));
    EXPECT_TRUE(platform::ProcessAlive(browser.pid()));
    EXPECT_FALSE(fs::exists(profile + "/OldPath.txt"));

    progress_->messages.clear();
    SetSwitch(clients::kOptAutoClose, 1);
    SetSwitch(clients::kOptAutoRestart, 1);
    ASSERT_EQ(Backup(profile, archive), S_OK);
    EXPECT_TRUE(browser.Reap());
  }
  std::optional<clients::ProcessMatch> restarted;
  ASSERT_TRUE(bkvp::testing::WaitUntilRunning(dir_ / "Netscp.exe"));
  restarted = clients::FindRunningProgram(dir_ / "Netscp.exe");
  ASSERT_TRUE(restarted);
  const std::string commandLine =
      ReadFile("/proc/" + std::to_string(restarted->processId) + "/cmdline");
  EXPECT_NE(commandLine.find(std::string("\0-P\0default\0-mail", 17)), std::string::npos);
  EXPECT_TRUE(clients::TerminateProgram(*restarted, 3s, 20ms));
}

TEST_F(NetscapeServiceTest, RestoreAsksWhileTheBrowserRunsWithTheTargetProfile) {
  const std::string profile = dir_ / "Profiles/default";
  MakeProfile(profile);
  const std::string archive = dir_ / "backup.KV";
  ASSERT_EQ(Backup(profile, archive), S_OK);
  const Tree before = Snapshot(profile);
  MakeCurrentProfile(profile);
  bkvp::testing::HelperProcess browser(dir_.path(), "Netscp.exe");

  progress_->messages.clear();
  progress_->promptAnswers = {IDCANCEL};
  EXPECT_EQ(Restore(archive, profile), E_FAIL);
  ASSERT_EQ(progress_->prompts.size(), 1u);
  EXPECT_EQ(progress_->prompts[0].type, 0x31u);
  EXPECT_EQ(progress_->prompts[0].text,
            "Netscape 7 is running with selected profile.\nClose Netscape and press OK to "
            "continue or press Cancel to abort operation.");
  EXPECT_EQ(progress_->messages, (std::vector<std::string>{"Netscape 7 restore canceled by user"}));
  EXPECT_EQ(Snapshot(profile), before);

  // Into another profile folder the running browser is not in the way.
  progress_->prompts.clear();
  const std::string other = dir_ / "Profiles/other";
  WriteFile(other + "/prefs.js", "");
  EXPECT_EQ(Restore(archive, other), S_OK);
  EXPECT_TRUE(progress_->prompts.empty());
}

TEST_F(NetscapeServiceTest, ASectionWithoutFilesCannotSetUpAProfile) {
  const std::string target = dir_ / "target";
  MakeProfile(target);
  const Tree before = Snapshot(target);
  const std::string archive = dir_ / "empty.KV";
  WriteSection(archive, {});
  EXPECT_EQ(Restore(archive, target), E_FAIL);
  EXPECT_EQ(progress_->messages,
            (std::vector<std::string>{"Netscape 7", "Can't set up restored data"}));
  EXPECT_EQ(Snapshot(target), before);
  EXPECT_FALSE(fs::exists(dir_ / "KV_RESTORE_FOLDER"));
}

TEST_F(NetscapeServiceTest, ACancelledDiskPromptAtTheSectionStartLeavesNoMarker) {
  const std::string profile = dir_ / "profile";
  MakeProfile(profile);
  SetOption(clients::kBackuperSubkey, clients::kOptPath, profile);
  auto backuper = ComPtr<SectionCancellingBackuper>::Attach(new SectionCancellingBackuper);
  EXPECT_THROW(service_->Backup(backuper.get(), progress_.get()), ComError);
  EXPECT_FALSE(fs::exists(profile + "/OldPath.txt"));
  EXPECT_EQ(backuper->endClientCalls, 1);
}

TEST_F(NetscapeServiceTest, AnswersTheProgramAsANetscapeClient) {
  BOOL flag = static_cast<BOOL>(0x12340000);
  EXPECT_EQ(service_->ClientPresent(&flag), S_OK);
  EXPECT_EQ(flag, static_cast<BOOL>(0x12340000));  // not installed: low half cleared

  // A Netscape 7 installation: its program carries a version block saying 7.
  const std::string exe = dir_ / "Netscape/Netscp.exe";
  testing::WriteVersionedProgram(exe, 0x00070001);
  clients::WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape", "CurrentVersion",
                       "7.1 (en)");
  clients::WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape\\7.1 (en)\\Main",
                       "PathToExe", exe);
  EXPECT_EQ(service_->ClientPresent(&flag), S_OK);
  EXPECT_EQ(flag, static_cast<BOOL>(0x1234FFFF));
  EXPECT_FALSE(Netscape6Installed());

  Variant info;
  const Bstr hasBackup("HasBackup");
  EXPECT_EQ(service_->GetClientInfo(hasBackup.get(), &info), S_OK);
  EXPECT_EQ(info.get().vt, VT_BSTR);
  EXPECT_EQ(ToAnsi(info.get().bstrVal), "");
  Variant notAnArray;
  notAnArray.get().vt = VT_I4;
  EXPECT_EQ(service_->SetOptions(notAnArray.get()), S_OK);
}

TEST_F(NetscapeServiceTest, Netscape6IsPresentWhenItsProgramLiesInTheInstallDirectory) {
  ASSERT_EQ(RegisterModuleFile(bkvp::testing::BinDir() + "/BkVpNetscape6.so"), S_OK)
      << LastComponentError();
  ComPtr<IBkVpService> six;
  ASSERT_EQ(CreateInstance(Netscape6Edition().serviceClsid, six), S_OK);
  BOOL flag = 0;
  clients::WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape 6\\6.0 (en)\\Main",
                       "Install Directory", dir_ / "N6");
  WriteFile(dir_ / "N6/netscp6.exe", "program");
  ASSERT_EQ(six->ClientPresent(&flag), S_OK);
  EXPECT_EQ(flag, 0xFFFF);
}

}  // namespace
}  // namespace bkvp::netscape
