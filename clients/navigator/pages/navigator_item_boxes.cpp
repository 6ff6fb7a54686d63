#include "clients/navigator/pages/navigator_item_boxes.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace bkvp::navigator::pages {

namespace {

// Box texts in item order.
constexpr const char* kItemTexts[kItemCount] = {"Bookmarks",       "Address book", "Drafts",
                                                "Inbox",           "Sent",         "Templates",
                                                "Unsent Messages", "Trash"};
// Items from this one on are mail folders.
constexpr size_t kFirstMailFolder = 2;
constexpr int kIndent = 20;
constexpr int kColumnGap = 32;

}  // namespace

NavigatorItemBoxes::NavigatorItemBoxes(QWidget* parent)
    : QWidget(parent), mailFolders_(new QCheckBox("Mail folders", this)) {
  for (size_t item = 0; item < kItemCount; ++item)
    items_[item] = new QCheckBox(kItemTexts[item], this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (size_t item = 0; item < kFirstMailFolder; ++item) layout->addWidget(items_[item]);
  layout->addWidget(mailFolders_);
  auto* folders = new QGridLayout;
  folders->setContentsMargins(kIndent, 0, 0, 0);
  folders->setHorizontalSpacing(kColumnGap);
  for (size_t item = kFirstMailFolder; item < kItemCount; ++item) {
    const int index = static_cast<int>(item - kFirstMailFolder);
    folders->addWidget(items_[item], index / 2, index % 2);
  }
  folders->setColumnStretch(2, 1);
  layout->addLayout(folders);

  mailFolders_->setTristate(true);
  // A click moves a tristate box on to partly checked, checked, unchecked:
  // anything but unchecked checks every folder.
  connect(mailFolders_, &QCheckBox::clicked, this, [this] {
    const bool on = mailFolders_->checkState() != Qt::Unchecked;
    for (size_t item = kFirstMailFolder; item < kItemCount; ++item) items_[item]->setChecked(on);
    ShowMailFoldersState();
  });
  for (size_t item = kFirstMailFolder; item < kItemCount; ++item)
    connect(items_[item], &QCheckBox::toggled, this, [this] { ShowMailFoldersState(); });
  ShowMailFoldersState();
}

ItemSelection NavigatorItemBoxes::Selection() const {
  ItemSelection selection{};
  for (size_t item = 0; item < kItemCount; ++item)
    selection[item] = items_[item]->isChecked() ? 1 : 0;
  return selection;
}

void NavigatorItemBoxes::Show(const ItemSelection& selection) {
  for (size_t item = 0; item < kItemCount; ++item) items_[item]->setChecked(selection[item] != 0);
}

void NavigatorItemBoxes::CheckAll() {
  for (QCheckBox* box : items_) box->setChecked(true);
}

void NavigatorItemBoxes::ShowMailFoldersState() {
  size_t checked = 0;
  for (size_t item = kFirstMailFolder; item < kItemCount; ++item)
    if (items_[item]->isChecked()) ++checked;
  const size_t folders = kItemCount - kFirstMailFolder;
  mailFolders_->setCheckState(checked == folders ? Qt::Checked
                              : checked == 0     ? Qt::Unchecked
                                                 : Qt::PartiallyChecked);
}

}  // namespace bkvp::navigator::pages
