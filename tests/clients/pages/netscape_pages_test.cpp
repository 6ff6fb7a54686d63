// The Netscape 6/7 pages over the browser's profile registry: which profile
// the list offers and selects, what the pages store, when they refuse, and a
// backup run that saves the profile the page chose.
#include <gtest/gtest.h>

#include <QComboBox>

#include "clients/common/client_options.h"
#include "clients/netscape/netscape_service.h"
#include "clients/netscape/pages/netscape_backup_page.h"
#include "clients/netscape/pages/netscape_restore_page.h"
#include "tests/clients/common/archive_harness.h"
#include "tests/clients/common/pages/page_test_support.h"
#include "tests/clients/pages/hosted_page.h"
#include "tests/clients/pages/installations.h"

namespace bkvp::pages::testing {
namespace {

using clients::ReadDword;
using clients::ReadString;
using netscape::Netscape6Edition;
using netscape::Netscape7Edition;
using Backup7 = netscape::pages::NetscapeBackupPageOf<&Netscape7Edition>;
using Restore7 = netscape::pages::NetscapeRestorePageOf<&Netscape7Edition>;
using Restore6 = netscape::pages::NetscapeRestorePageOf<&Netscape6Edition>;

const std::string kClsid7 = "{FCA2981A-71DE-4974-AD4D-02DAF60B1084}";
const std::string kBackuper = clients::ClientOptionKey(kClsid7, "backuper");
const std::string kRestorer = clients::ClientOptionKey(kClsid7, "restorer");
const QString kClose = "Close Netscape automatically if it is running with selected profile";
const QString kRestart = "Run Netscape Mail for selected profile after backup";

// Netscape 7 with two profiles: "default", and "work", the current one,
// which was migrated from an older installation and still lives there.
class NetscapePages : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    InstallNetscape(7, data / "Netscape");
    WriteBrowserProfiles(data / "Application Data",
                         {{"default", defaultFolder}, {"work", data / "Profiles/work", workFolder}},
                         "work");
  }

  bkvp::testing::TempDir data;
  const std::string defaultFolder = data / "Profiles/default/k2v8bq1m.slt";
  const std::string workFolder = data / "Netscape 4 Users/work";
};

TEST_F(NetscapePages, BackupPageSelectsTheCurrentProfileAndStoresItsFolderAndName) {
  clients::WriteString(kBackuper, "Stale", "from an older page");
  auto hosted = Host<IBkVpAxBackup, Backup7>();
  auto* list = hosted.window->findChild<QComboBox*>();
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentText(), "work");
  EXPECT_TRUE(list->isEnabled());
  hosted.Box(kClose)->click();
  hosted.Box(kRestart)->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ValueNames(kBackuper),
            (std::vector<std::string>{"Path", "ProfileName", "AutoClose", "AutoRestart"}));
  EXPECT_EQ(ReadString(kBackuper, "Path"), workFolder);
  EXPECT_EQ(ReadString(kBackuper, "ProfileName"), "work");
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 1u);

  // Restarting needs the close: the restart box keeps its mark but is off.
  hosted.Box(kClose)->click();
  EXPECT_FALSE(hosted.Box(kRestart)->isEnabled());
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 0u);

  // Only exactly 1 counts as on; the stored profile is not loaded back.
  clients::WriteDword(kBackuper, "AutoClose", 1);
  clients::WriteDword(kBackuper, "AutoRestart", 2);
  clients::WriteString(kBackuper, "ProfileName", "default");
  ASSERT_EQ(hosted.Load(), S_OK);
  EXPECT_TRUE(hosted.Box(kClose)->isChecked());
  EXPECT_FALSE(hosted.Box(kRestart)->isChecked());
  EXPECT_EQ(list->currentText(), "work");
}

TEST_F(NetscapePages, RestorePageWithOneProfileStoresItsFolderAndWithoutProfilesRefuses) {
  WriteBrowserProfiles(data / "Application Data", {{"only", defaultFolder}}, "gone");
  clients::WriteString(kRestorer, "Stale", "x");
  auto one = Host<IBkVpAxRestore, Restore7>();
  EXPECT_EQ(one.window->findChild<QComboBox*>()->currentText(), "only");
  EXPECT_FALSE(one.window->findChild<QComboBox*>()->isEnabled());
  EXPECT_TRUE(one.Validate());
  ASSERT_EQ(one.Store(), S_OK);
  EXPECT_EQ(ValueNames(kRestorer), std::vector<std::string>{"Path"});
  EXPECT_EQ(ReadString(kRestorer, "Path"), defaultFolder);

  // Netscape 6 is not installed and its user has no profile registry.
  bkvp::testing::ScriptedMessageBoxes boxes;
  WriteBrowserProfiles(data / "Application Data", {}, "");
  auto none = Host<IBkVpAxRestore, Restore6>();
  EXPECT_TRUE(none.Shows("Netscape 6 is not installed on this computer."));
  EXPECT_FALSE(none.Validate());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Netscape 6 Backup.\nNo profile selected.");
  EXPECT_EQ(boxes.shown[0].caption, "BackupVopal");
  EXPECT_EQ(boxes.shown[0].style, platform::ui::MB_OK | platform::ui::MB_ICONEXCLAMATION);
}

TEST_F(NetscapePages, BackupAfterThePageStoredItsChoiceSavesThatProfile) {
  bkvp::testing::WriteFile(defaultFolder + "/bookmarks.html", "<DL>default</DL>");
  bkvp::testing::WriteFile(workFolder + "/bookmarks.html", "<DL>work</DL>");
  auto hosted = Host<IBkVpAxBackup, Backup7>();
  hosted.window->findChild<QComboBox*>()->setCurrentIndex(0);
  ASSERT_EQ(hosted.Store(), S_OK);

  bkvp::testing::RegisterArchiveService();
  auto service = ComPtr<IBkVpService>::Attach(new netscape::NetscapeService(Netscape7Edition()));
  bkvp::testing::RecordingProgress progress;
  const std::string archive = data / "Vopalarc.KV";
  ASSERT_EQ(bkvp::testing::BackupToArchive(service.get(), kClsid7, archive, progress), S_OK);

  const auto section = bkvp::testing::ReadSection(archive, kClsid7);
  std::vector<std::string> names;
  for (const auto& object : section.objects) names.push_back(object.name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       defaultFolder + "/OldPath.txt", defaultFolder + "/prefs.js",
                       defaultFolder + "/prefs.js", defaultFolder + "/bookmarks.html"}));
}

}  // namespace
}  // namespace bkvp::pages::testing
