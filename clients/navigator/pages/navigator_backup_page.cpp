#include "clients/navigator/pages/navigator_backup_page.h"

#include <QVBoxLayout>

#include "clients/common/pages/close_restart_choices.h"
#include "clients/navigator/navigator_version.h"
#include "clients/navigator/pages/navigator_item_boxes.h"

namespace bkvp::navigator::pages {

NavigatorBackupPage::NavigatorBackupPage(QWidget* parent)
    : OptionsPage(parent, "Netscape 4.x Backup Options", "Netscape 4.x", NavigatorInstalled()),
      items_(new NavigatorItemBoxes(this)),
      closeRestart_(new bkvp::pages::CloseRestartChoices(
          "Close Netscape automatically if it is running", "Restart Netscape after backup",
          {kOptCloseIfRun, kOptRestartAfterBackup, clients::SwitchRule::ExactlyOne, true}, this)) {
  Body()->addWidget(items_);
  Body()->addSpacing(12);
  AddWarning({"WARNING: Netscape cannot be backed up while running."});
  Body()->addWidget(closeRestart_);
  items_->CheckAll();
}

bool NavigatorBackupPage::StoreSettings() {
  const ItemSelection selection = items_->Selection();
  const bool itemsWritten =
      ReplaceItemSelection(BackuperKey(), {selection.begin(), selection.end()});
  return closeRestart_->Store(BackuperKey()) && itemsWritten;
}

void NavigatorBackupPage::LoadSettings() {
  items_->CheckAll();
  closeRestart_->Load(BackuperKey());
}

}  // namespace bkvp::navigator::pages
