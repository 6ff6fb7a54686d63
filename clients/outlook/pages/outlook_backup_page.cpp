#include "clients/outlook/pages/outlook_backup_page.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "clients/common/client_options.h"
#include "clients/common/pages/close_restart_choices.h"
#include "clients/common/registry_access.h"
#include "clients/outlook/outlook_strings.h"

namespace bkvp::outlook::pages {

namespace {

constexpr const char* kOptOptions = "Options";
constexpr const char* kOptMailbox = "Mailbox";

std::string BackuperKey() {
  return clients::ClientOptionKey(Strings().ServiceClsid(), clients::kBackuperSubkey);
}

// Only Outlook 97/98 keeps the two boxes; the others keep 0 for both.
bool WriteContentValues(const std::string& key, uint32_t options, uint32_t mailbox) {
  const bool optionsWritten = clients::WriteDword(key, kOptOptions, options);
  return clients::WriteDword(key, kOptMailbox, mailbox) && optionsWritten;
}

}  // namespace

OutlookBackupPage::OutlookBackupPage(QWidget* parent)
    : OutlookPage(parent, "Outlook Backup Options"),
      closeRestart_(new bkvp::pages::CloseRestartChoices(
          "Close Outlook automatically if it is running", "Restart Outlook after backup",
          {clients::kOptAutoClose, clients::kOptAutoRestart, clients::SwitchRule::NonZero, true},
          this)) {
  Body()->addSpacing(12);
  AddWarning({"WARNING: Outlook can't be backed up while running."});
  Body()->addWidget(closeRestart_);
}

bool OutlookBackupPage::StoreSettings() {
  const std::string key = BackuperKey();
  bool written = true;
  if (generation() == kGeneration8) {
    clients::DeleteAllValues(key);
    written = WriteContentValues(key, generalOptions()->isChecked() ? 0 : 1,
                                 mailbox()->isChecked() ? 0 : 1);
  } else {
    written = WriteContentValues(key, 0, 0);
  }
  return closeRestart_->Store(key) && written;
}

void OutlookBackupPage::LoadSettings() {
  const std::string key = BackuperKey();
  if (generation() == kGeneration8) {
    generalOptions()->setChecked(clients::ReadDword(key, kOptOptions) != 0);
    mailbox()->setChecked(clients::ReadDword(key, kOptMailbox) != 0);
  } else {
    WriteContentValues(key, 0, 0);
  }
  closeRestart_->Load(key);
}

}  // namespace bkvp::outlook::pages
