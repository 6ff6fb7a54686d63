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
using outlook::pages::OutlookRestorePage;

const std::string kOutlookClsid = "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}";
const std::string kOutlookExpressClsid = "{045DAD87-41B3-41FF-8B2E-357B39E46F77}";
const std::string kBackuper = clients::ClientOptionKey(kOutlookClsid, "backuper");

class OutlookPages : public bkvp::testing::HomeFixture {};

TEST_F(OutlookPages, OlderOutlookStoresItsBoxesInvertedAndLoadsThemBackAsStored) {
  InstallOutlook(outlook::kGeneration8);
  clients::WriteString(kBackuper, "Stale", "from an older page");
  auto hosted = Host<IBkVpAxBackup, OutlookBackupPage>();
  QCheckBox* general = hosted.Box("General options");
  QCheckBox* mailbox = hosted.Box("Mailbox");
  QCheckBox* close = hosted.Box("Close Outlook automatically if it is running");
  QCheckBox* restart = hosted.Box("Restart Outlook after backup");
  EXPECT_TRUE(hosted.ShowsPicture(kMailCalendarOlderPicture));
  EXPECT_FALSE(hosted.Shows("Outlook is not installed on this computer."));
  // Nothing stored reads as 0: both boxes come up clear.
  EXPECT_FALSE(general->isChecked());
  EXPECT_FALSE(mailbox->isChecked());
  EXPECT_FALSE(close->isChecked());
  EXPECT_FALSE(restart->isEnabled());

  general->click();
  close->click();
  ASSERT_TRUE(restart->isEnabled());
  restart->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ValueNames(kBackuper),
            (std::vector<std::string>{"Options", "Mailbox", "AutoClose", "AutoRestart"}));
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);  // checked
  EXPECT_EQ(ReadDword(kBackuper, "Mailbox"), 1u);  // clear
  EXPECT_EQ(ReadDword(kBackuper, "AutoClose"), 1u);
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 1u);

  auto again = Host<IBkVpAxBackup, OutlookBackupPage>();
  EXPECT_FALSE(again.Box("General options")->isChecked());
  EXPECT_TRUE(again.Box("Mailbox")->isChecked());
  close = again.Box("Close Outlook automatically if it is running");
  restart = again.Box("Restart Outlook after backup");
  EXPECT_TRUE(close->isChecked());
  EXPECT_TRUE(restart->isChecked());
  EXPECT_TRUE(restart->isEnabled());
  // Toggling the close box clears the restart box both ways.
  close->click();
  EXPECT_FALSE(restart->isEnabled());
  EXPECT_FALSE(restart->isChecked());
  close->click();
  EXPECT_TRUE(restart->isEnabled());
  EXPECT_FALSE(restart->isChecked());
  ASSERT_EQ(again.Store(), S_OK);
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 0u);
}

TEST_F(OutlookPages, Outlook2000KeepsZeroForItsBoxesAndTakesAnyNonZeroSwitchAsOn) {
  InstallOutlook(outlook::kGeneration9);
  WriteDword(kBackuper, "Options", 1);
  WriteDword(kBackuper, "Mailbox", 1);
  clients::WriteString(kBackuper, "Other", "kept");
  WriteDword(kBackuper, "AutoClose", 7);
  WriteDword(kBackuper, "AutoRestart", 2);
  auto hosted = Host<IBkVpAxBackup, OutlookBackupPage>();
  EXPECT_TRUE(hosted.ShowsPicture(kMailCalendarPicture));
  // Loading writes the zeros; the boxes keep their first state.
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);
  EXPECT_EQ(ReadDword(kBackuper, "Mailbox"), 0u);
  EXPECT_TRUE(hosted.Box("General options")->isChecked());
  EXPECT_TRUE(hosted.Box("Close Outlook automatically if it is running")->isChecked());
  EXPECT_TRUE(hosted.Box("Restart Outlook after backup")->isChecked());

  hosted.Box("General options")->click();
  hosted.Box("Close Outlook automatically if it is running")->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ReadDword(kBackuper, "Options"), 0u);
  EXPECT_EQ(ReadDword(kBackuper, "AutoClose"), 0u);
  EXPECT_EQ(ReadDword(kBackuper, "AutoRestart"), 0u);
  EXPECT_EQ(clients::ReadString(kBackuper, "Other"), "kept");
  EXPECT_TRUE(hosted.Validate());
}

// The Outlook Express pages and the Outlook restore page show what their
// client handles and keep nothing; without their program they still open.
TEST_F(OutlookPages, PagesThatOnlyShowStoreNothingAndSayWhenTheProgramIsMissing) {
  auto expressBackup = Host<IBkVpAxBackup, outlookexp::pages::OutlookExpBackupPage>();
  auto expressRestore = Host<IBkVpAxRestore, outlookexp::pages::OutlookExpRestorePage>();
  auto outlookRestore = Host<IBkVpAxRestore, OutlookRestorePage>();
  EXPECT_TRUE(expressBackup.Shows("Outlook Express Backup Options"));
  EXPECT_TRUE(expressRestore.Shows("Outlook Express Restore Options"));
  for (const char* item : {"User's messages", "Windows Address Book", "Outlook Express Settings"})
    EXPECT_TRUE(expressRestore.Shows(item)) << item;
  EXPECT_TRUE(expressBackup.Shows("Outlook Express is not installed on this computer."));
  EXPECT_TRUE(outlookRestore.Shows("Outlook is not installed on this computer."));
  EXPECT_TRUE(outlookRestore.Box("Mailbox")->isChecked());
  EXPECT_FALSE(outlookRestore.Box("Mailbox")->isEnabled());

  EXPECT_EQ(expressBackup.Store(), S_OK);
  EXPECT_EQ(expressRestore.Store(), S_OK);
  EXPECT_EQ(outlookRestore.Store(), S_OK);
  EXPECT_FALSE(clients::KeyExists(clients::JoinKeyPath(kProgramKey, kOutlookExpressClsid)));
  EXPECT_FALSE(clients::KeyExists(clients::ClientOptionKey(kOutlookClsid, "restorer")));
  EXPECT_TRUE(expressBackup.Validate());
  EXPECT_TRUE(outlookRestore.Validate());

  InstallOutlookExpress();
  auto installed = Host<IBkVpAxBackup, outlookexp::pages::OutlookExpBackupPage>();
  EXPECT_FALSE(installed.Shows("Outlook Express is not installed on this computer."));
}

}  // namespace
}  // namespace bkvp::pages::testing
