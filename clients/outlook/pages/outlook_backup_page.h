// BkVpAxBkOutlook, the Outlook backup page: whether to close a running
// Outlook without the countdown ("AutoClose") and start it again after the
// backup ("AutoRestart"), and the boxes "General options" and "Mailbox".
// Outlook 97/98 keeps the two boxes as "Options" and "Mailbox", stored as 0
// for a checked box and loaded back as checked for a non-zero value; other
// generations store 0 for both. Settings kept this way since the first
// version rely on that, and the service saves the same data whatever they
// hold.
#pragma once

#include "clients/outlook/pages/outlook_page.h"

namespace bkvp::pages {
class CloseRestartChoices;
}

namespace bkvp::outlook::pages {

class OutlookBackupPage final : public OutlookPage {
  Q_OBJECT

 public:
  explicit OutlookBackupPage(QWidget* parent);

  bool StoreSettings() override;
  void LoadSettings() override;

 private:
  bkvp::pages::CloseRestartChoices* closeRestart_;
};

}  // namespace bkvp::outlook::pages
