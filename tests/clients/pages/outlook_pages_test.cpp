// The Outlook and Outlook Express pages over installed and missing programs:
// what the Outlook backup page stores for each generation and how its boxes
// enable one another, and the pages that only show what their client does.
#include <gtest/gtest.h>

#include "clients/common/client_options.h"
#include "clients/common/pages/page_pictures.h"
#include "clients/outlook/pages/outlook_backup_page.h"
#include "clients/outlookexp/pages/outlookexp_pages.h"
#include "contract/identifiers.h"
#include "tests/clients/pages/hosted_page.h"
#include "tests/clients/pages/installations.h"

namespace bkvp::pages::testing {
namespace {

using clients::ReadDword;
using clients::WriteDword;
using outlook::pages::OutlookBackupPage;

const std::string kOutlookClsid = "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}";
const std::string kBackuper = clients::ClientOptionKey(kOutlookClsid, "backuper");
const char kClose[] = "Close Outlook automatically if it is running";
const char kRestart[] = "Restart Outlook after backup";

class OutlookPages : public bkvp::testing::HomeFixture {};

TEST_F(OutlookPages, OlderOutlookStoresItsBoxesInvertedAndLoadsThemBackAsStored) {
  InstallOutlook(outlook::kGeneration8);
  clients::WriteString(kBackuper, "Stale", "from an older page");
  auto hosted = Host<IBkVpAxBackup, OutlookBackupPage>();
  EXPECT_TRUE(hosted.ShowsPicture(kMailCalendarOlderPicture));
  // Nothing stored reads as 0: both boxes come up clear.
  EXPECT_FALSE(hosted.Box("General options")->isChecked());
  EXPECT_FALSE(hosted.Box(kRestart)->isEnabled());
  hosted.Box("General options")->click();
  hosted.Box(kClose)->click();
  hosted.Box(kRestart)->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ValueNames(kBackuper),
            (std::vector<std::string>{"Options", "Mailbox", "AutoClose", "AutoRestart"}));
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);  // checked
  EXPECT_EQ(ReadDword(kBackuper, "Mailbox"), 1u);  // clear
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 1u);

  auto again = Host<IBkVpAxBackup, OutlookBackupPage>();
  EXPECT_FALSE(again.Box("General options")->isChecked());
  EXPECT_TRUE(again.Box("Mailbox")->isChecked());
  EXPECT_TRUE(again.Box(kRestart)->isChecked());
  again.Box(kClose)->click();
  EXPECT_FALSE(again.Box(kRestart)->isEnabled());
  EXPECT_FALSE(again.Box(kRestart)->isChecked());
}

TEST_F(OutlookPages, Outlook2000KeepsZeroForItsBoxesAndTakesAnyNonZeroSwitchAsOn) {
  InstallOutlook(outlook::kGeneration9);
  WriteDword(kBackuper, "Options", 1);
  clients::WriteString(kBackuper, "Other", "kept");
  WriteDword(kBackuper, "AutoClose", 7);
  WriteDword(kBackuper, "AutoRestart", 2);
  auto hosted = Host<IBkVpAxBackup, OutlookBackupPage>();
  EXPECT_TRUE(hosted.ShowsPicture(kMailCalendarPicture));
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);  // loading writes the zeros
  EXPECT_TRUE(hosted.Box("General options")->isChecked());
  EXPECT_TRUE(hosted.Box(kRestart)->isChecked());

  hosted.Box("General options")->click();
  hosted.Box(kClose)->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 0u);
  EXPECT_EQ(clients::ReadString(kBackuper, "Other"), "kept");
}

// The Outlook Express pages and the Outlook restore page show what their
// client handles and keep nothing; without their program they still open.
TEST_F(OutlookPages, PagesThatOnlyShowStoreNothingAndSayWhenTheProgramIsMissing) {
  auto express = Host<IBkVpAxRestore, outlookexp::pages::OutlookExpRestorePage>();
  auto restore = Host<IBkVpAxRestore, outlook::pages::OutlookRestorePage>();
  EXPECT_TRUE(express.Shows("Outlook Express is not installed on this computer."));
  EXPECT_TRUE(restore.Shows("Outlook is not installed on this computer."));
  EXPECT_FALSE(restore.Box("Mailbox")->isEnabled());
  EXPECT_EQ(express.Store(), S_OK);
  EXPECT_EQ(restore.Store(), S_OK);
  EXPECT_FALSE(clients::KeyExists(clients::JoinKeyPath(kProgramKey, kOutlookClsid)));
  EXPECT_TRUE(express.Validate());

  InstallOutlookExpress();
  auto installed = Host<IBkVpAxBackup, outlookexp::pages::OutlookExpBackupPage>();
  EXPECT_FALSE(installed.Shows("Outlook Express is not installed on this computer."));
}

}  // namespace
}  // namespace bkvp::pages::testing
