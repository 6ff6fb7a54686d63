// The items of a Netscape 4.x profile that the pages offer, one box each, in
// the order of the stored values and of the options array: "Bookmarks",
// "Address book", and below "Mail folders" the six mail folders. "Mail
// folders" checks or clears the six at once and shows whether all, some or
// none of them are checked.
#pragma once

#include <QWidget>
#include <array>

#include "clients/navigator/navigator_options.h"

class QCheckBox;

namespace bkvp::navigator::pages {

class NavigatorItemBoxes : public QWidget {
  Q_OBJECT

 public:
  explicit NavigatorItemBoxes(QWidget* parent);

  ItemSelection Selection() const;
  void Show(const ItemSelection& selection);
  void CheckAll();
  QCheckBox* mailFolders() const { return mailFolders_; }

 private:
  void ShowMailFoldersState();

  std::array<QCheckBox*, kItemCount> items_;
  QCheckBox* mailFolders_;
};

}  // namespace bkvp::navigator::pages
