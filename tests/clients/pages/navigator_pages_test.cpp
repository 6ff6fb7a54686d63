// The Netscape 4.x pages: the item boxes and the close-and-restart switches
// of the backup page, and the restore page showing the selection an archive
// brought.
#include <gtest/gtest.h>

#include "clients/navigator/navigator_options.h"
#include "clients/navigator/navigator_service.h"
#include "clients/navigator/pages/navigator_backup_page.h"
#include "clients/navigator/pages/navigator_restore_page.h"
#include "contract/variant.h"
#include "tests/clients/pages/hosted_page.h"
#include "tests/clients/pages/installations.h"

namespace bkvp::pages::testing {
namespace {

using clients::ReadDword;
using navigator::BackuperKey;
using navigator::RestorerKey;

const QString kClose = "Close Netscape automatically if it is running";
const QString kRestart = "Restart Netscape after backup";

class NavigatorPages : public bkvp::testing::HomeFixture {};

TEST_F(NavigatorPages, BackupPageOffersEveryItemAndStoresItsBoxes) {
  InstallNavigator();
  navigator::ReplaceItemSelection(BackuperKey(), {0, 0, 0, 0, 0, 0, 0, 0});
  clients::WriteString(BackuperKey(), "Stale", "x");
  clients::WriteDword(BackuperKey(), "CloseIfRun", 1);
  clients::WriteDword(BackuperKey(), "RestartAfterBackup", 1);
  auto hosted = Host<IBkVpAxBackup, navigator::pages::NavigatorBackupPage>();
  // Whole profiles are saved: every item starts checked whatever was stored.
  EXPECT_EQ(hosted.Box("Mail folders")->checkState(), Qt::Checked);
  EXPECT_TRUE(hosted.Box("Bookmarks")->isChecked());
  EXPECT_TRUE(hosted.Box(kRestart)->isChecked());

  hosted.Box("Inbox")->click();
  EXPECT_EQ(hosted.Box("Mail folders")->checkState(), Qt::PartiallyChecked);
  hosted.Box("Mail folders")->click();  // all six again
  EXPECT_TRUE(hosted.Box("Inbox")->isChecked());
  hosted.Box("Mail folders")->click();  // none
  EXPECT_FALSE(hosted.Box("Trash")->isChecked());
  hosted.Box("Bookmarks")->click();
  hosted.Box(kClose)->click();
  EXPECT_FALSE(hosted.Box(kRestart)->isChecked());
  EXPECT_FALSE(hosted.Box(kRestart)->isEnabled());

  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(ValueNames(BackuperKey()),
            (std::vector<std::string>{"Bookmarks", "Pab", "Drafts", "Inbox", "Sent", "Templates",
                                      "Unsent", "Trash", "CloseIfRun", "RestartAfterBackup"}));
  EXPECT_EQ(navigator::ReadItemSelection(BackuperKey()),
            (navigator::ItemSelection{0, 1, 0, 0, 0, 0, 0, 0}));

  // Restarting is offered only after a close the stored switch asks for.
  clients::WriteDword(BackuperKey(), "RestartAfterBackup", 1);
  ASSERT_EQ(hosted.Load(), S_OK);
  EXPECT_FALSE(hosted.Box(kRestart)->isChecked());
  EXPECT_FALSE(hosted.Box(kRestart)->isEnabled());
}

TEST_F(NavigatorPages, RestorePageShowsAndStoresTheSelectionTheArchiveBrought) {
  auto service = ComPtr<IBkVpService>::Attach(new navigator::NavigatorService);
  VARIANT options = MakeByteArrayVariant({1, 0, 1, 0, 1, 0, 1, 0});
  ASSERT_EQ(service->SetOptions(options), S_OK);
  VariantClear(&options);

  auto hosted = Host<IBkVpAxRestore, navigator::pages::NavigatorRestorePage>();
  EXPECT_TRUE(hosted.Shows("Netscape 4.x is not installed on this computer."));
  EXPECT_TRUE(hosted.Box("Bookmarks")->isChecked());
  EXPECT_FALSE(hosted.Box("Address book")->isChecked());
  EXPECT_EQ(hosted.Box("Mail folders")->checkState(), Qt::PartiallyChecked);
  hosted.Box("Trash")->click();
  ASSERT_EQ(hosted.Store(), S_OK);
  EXPECT_EQ(navigator::ReadItemSelection(RestorerKey()),
            (navigator::ItemSelection{1, 0, 1, 0, 1, 0, 1, 1}));
}

}  // namespace
}  // namespace bkvp::pages::testing
