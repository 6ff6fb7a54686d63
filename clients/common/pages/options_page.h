// The frame of a mail or browser client's page: the page's title as a
// heading, a note when the program the client serves is not installed, the
// page's own controls below, and warning lines with their picture. A page
// whose program is missing still opens, so that the wizard can show it.
#pragma once

#include <QStringList>

#include "clients/common/pages/page_content.h"

class QVBoxLayout;

namespace bkvp::pages {

class OptionsPage : public PageContent {
  Q_OBJECT

 public:
  // programName names the program in the note ("Outlook is not installed
  // on this computer.") shown when programPresent is false.
  OptionsPage(QWidget* parent, const QString& title, const QString& programName,
              bool programPresent);

  // Pages that only show what their client handles keep no settings.
  bool StoreSettings() override { return true; }
  void LoadSettings() override {}

 protected:
  // Where the page puts its controls, top to bottom; free space stays below.
  QVBoxLayout* Body() const { return body_; }
  // A line of the body with the warning picture and, side by side, the texts.
  void AddWarning(const QStringList& texts);

 private:
  QVBoxLayout* body_;
};

}  // namespace bkvp::pages
