#include "clients/netscape/pages/netscape_profile_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "clients/common/client_options.h"
#include "clients/common/pages/page_pictures.h"
#include "clients/netscape/pages/profile_list.h"
#include "platform/ui.h"

namespace bkvp::netscape::pages {

namespace {

constexpr int kItemPictureSize = 16;
constexpr int kItemColumns = 2;
constexpr int kListWidth = 320;

QString Text(const std::string& text) { return QString::fromStdString(text); }

bool Installed(const NetscapeEdition& edition) { return edition.installed && edition.installed(); }

// The items a profile holds, each with the saved-item picture, in two columns.
QGridLayout* ItemList(const NetscapeEdition& edition, QWidget* parent) {
  const QString items[] = {
      Text(edition.DisplayName()) + " Settings (including downloaded themes)",
      "Mail Folders",
      "Newsgroup subscriptions",
      "AOL Instant Messenger Data",
      "Personal & Collected Address Books",
      "Passwords & Fill Form data",
      "Client Sertificates & Key Databases",
      "Cookies & Navigator History",
  };
  auto* list = new QGridLayout;
  list->setContentsMargins(12, 0, 0, 0);
  int index = 0;
  for (const QString& item : items) {
    const int row = index / kItemColumns, column = 2 * (index % kItemColumns);
    list->addWidget(
        bkvp::pages::PictureLabel(bkvp::pages::kSavedItemPicture, kItemPictureSize, parent), row,
        column);
    list->addWidget(new QLabel(item, parent), row, column + 1);
    ++index;
  }
  list->setColumnStretch(1, 1);
  list->setColumnStretch(3, 1);
  return list;
}

}  // namespace

NetscapeProfilePage::NetscapeProfilePage(QWidget* parent, const NetscapeEdition& edition,
                                         const Texts& texts)
    : OptionsPage(parent, Text(edition.DisplayName()) + " " + texts.action + " Options",
                  Text(edition.DisplayName()), Installed(edition)),
      edition_(edition),
      profiles_(new ProfileList(LoadProfileRegistry(), this)) {
  profiles_->setMinimumWidth(kListWidth);
  Body()->addWidget(new QLabel(texts.chooseProfile, this));
  Body()->addWidget(profiles_, 0, Qt::AlignLeft);
  Body()->addSpacing(8);
  Body()->addWidget(new QLabel(texts.itemsIntro, this));
  Body()->addLayout(ItemList(edition, this));
  Body()->addSpacing(12);
}

bool NetscapeProfilePage::IsValid() {
  if (profiles_->HasSelection()) return true;
  platform::ui::MessageBox(edition_.DisplayName() + " Backup.\nNo profile selected.", "BackupVopal",
                           platform::ui::MB_OK | platform::ui::MB_ICONEXCLAMATION);
  return false;
}

std::string NetscapeProfilePage::OptionKey(int subkeyString) const {
  return clients::ClientOptionKey(edition_.ServiceClsidText(), edition_.Text(subkeyString));
}

}  // namespace bkvp::netscape::pages
