// What the two Outlook pages show: the picture of the installed Outlook
// generation and the boxes "General options" and "Mailbox", both checked.
// The generation is detected when the page is created, from the same
// InstallRoot values as the service's presence test.
#pragma once

#include "clients/common/pages/options_page.h"
#include "clients/outlook/outlook_backup.h"

class QCheckBox;

namespace bkvp::outlook::pages {

class OutlookPage : public bkvp::pages::OptionsPage {
  Q_OBJECT

 protected:
  OutlookPage(QWidget* parent, const QString& title);

  Generation generation() const { return generation_; }
  QCheckBox* generalOptions() const { return generalOptions_; }
  QCheckBox* mailbox() const { return mailbox_; }

 private:
  OutlookPage(QWidget* parent, const QString& title, Generation generation);

  Generation generation_;
  QCheckBox* generalOptions_;
  QCheckBox* mailbox_;
};

// BkVpAxRsOutlook, the restore page. Its boxes only show what a restore
// brings back: everything saved, so they stay checked and cannot change.
class OutlookRestorePage final : public OutlookPage {
 public:
  explicit OutlookRestorePage(QWidget* parent);
};

}  // namespace bkvp::outlook::pages
