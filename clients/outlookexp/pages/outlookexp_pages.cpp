#include "clients/outlookexp/pages/outlookexp_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "clients/common/pages/page_pictures.h"
#include "clients/outlookexp/outlookexp_backup.h"

namespace bkvp::outlookexp::pages {

namespace {

using bkvp::pages::PictureLabel;

constexpr int kProgramPictureSize = 64;
constexpr int kItemPictureSize = 32;

}  // namespace

OutlookExpItemsPage::OutlookExpItemsPage(QWidget* parent, const QString& title)
    : OptionsPage(parent, title, "Outlook Express", OutlookExpressInstalled()) {
  auto* items = new QGridLayout;
  items->setHorizontalSpacing(12);
  items->addWidget(PictureLabel(bkvp::pages::kMailStorePicture, kProgramPictureSize, this), 0, 0, 3,
                   1, Qt::AlignTop);
  const std::pair<QString, QString> shown[] = {
      {bkvp::pages::kMessagesPicture, "User's messages"},
      {bkvp::pages::kAddressBookPicture, "Windows Address Book"},
      {bkvp::pages::kSettingsPicture, "Outlook Express Settings"},
  };
  int row = 0;
  for (const auto& [picture, text] : shown) {
    items->addWidget(PictureLabel(picture, kItemPictureSize, this), row, 1);
    items->addWidget(new QLabel(text, this), row, 2);
    ++row;
  }
  items->setColumnStretch(2, 1);
  Body()->addLayout(items);
}

}  // namespace bkvp::outlookexp::pages
