#include "clients/netscape/pages/netscape_backup_page.h"

#include <QVBoxLayout>

#include "clients/common/client_options.h"
#include "clients/common/pages/close_restart_choices.h"
#include "clients/common/registry_access.h"
#include "clients/netscape/pages/profile_list.h"

namespace bkvp::netscape::pages {

NetscapeBackupPage::NetscapeBackupPage(QWidget* parent, const NetscapeEdition& edition)
    : NetscapeProfilePage(parent, edition,
                          {"Backup", "Select a profile to back up",
                           "Backup Vopal will back up next items if they are available in "
                           "selected profile."}),
      closeRestart_(new bkvp::pages::CloseRestartChoices(
          "Close Netscape automatically if it is running with selected profile",
          "Run Netscape Mail for selected profile after backup",
          {clients::kOptAutoClose, clients::kOptAutoRestart, clients::SwitchRule::ExactlyOne,
           false},
          this)) {
  AddWarning({"WARNING: Netscape cannot be backed up while running\nwith selected profile."});
  Body()->addWidget(closeRestart_);
}

bool NetscapeBackupPage::StoreSettings() {
  const std::string key = OptionKey(kStrBackuper);
  clients::DeleteAllValues(key);
  const bool profileWritten =
      clients::WriteString(key, clients::kOptPath, profiles()->SelectedFolder()) &&
      clients::WriteString(key, clients::kOptProfileName, profiles()->SelectedName());
  return closeRestart_->Store(key) && profileWritten;
}

void NetscapeBackupPage::LoadSettings() { closeRestart_->Load(OptionKey(kStrBackuper)); }

}  // namespace bkvp::netscape::pages
