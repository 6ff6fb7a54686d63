// The Outlook Express pages. They show what the client saves and restores
// (the messages, the address book and the program's settings) and keep no
// settings: none of it is the user's choice.
#pragma once

#include "clients/common/pages/options_page.h"

namespace bkvp::outlookexp::pages {

class OutlookExpItemsPage : public bkvp::pages::OptionsPage {
  Q_OBJECT

 public:
  OutlookExpItemsPage(QWidget* parent, const QString& title);
};

// BkVpAxBkOutlukX, the backup page.
class OutlookExpBackupPage final : public OutlookExpItemsPage {
 public:
  explicit OutlookExpBackupPage(QWidget* parent)
      : OutlookExpItemsPage(parent, "Outlook Express Backup Options") {}
};

// BkVpAxRsOutlookX, the restore page.
class OutlookExpRestorePage final : public OutlookExpItemsPage {
 public:
  explicit OutlookExpRestorePage(QWidget* parent)
      : OutlookExpItemsPage(parent, "Outlook Express Restore Options") {}
};

}  // namespace bkvp::outlookexp::pages
