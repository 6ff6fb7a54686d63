// BkVpAxBkNavigator4x, the Netscape 4.x backup page: the profile items, and
// whether to close a running Netscape without the countdown ("CloseIfRun")
// and start it again after the backup ("RestartAfterBackup"). The items
// start checked whatever was stored, since the client saves whole profiles;
// the selection is stored and travels with the archive.
#pragma once

#include "clients/common/pages/options_page.h"

namespace bkvp::pages {
class CloseRestartChoices;
}

namespace bkvp::navigator::pages {

class NavigatorItemBoxes;

class NavigatorBackupPage final : public bkvp::pages::OptionsPage {
  Q_OBJECT

 public:
  explicit NavigatorBackupPage(QWidget* parent);

  bool StoreSettings() override;
  void LoadSettings() override;

 private:
  NavigatorItemBoxes* items_;
  bkvp::pages::CloseRestartChoices* closeRestart_;
};

}  // namespace bkvp::navigator::pages
