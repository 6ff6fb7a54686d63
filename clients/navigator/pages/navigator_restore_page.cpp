#include "clients/navigator/pages/navigator_restore_page.h"

#include <QVBoxLayout>

#include "clients/navigator/navigator_version.h"
#include "clients/navigator/pages/navigator_item_boxes.h"

namespace bkvp::navigator::pages {

NavigatorRestorePage::NavigatorRestorePage(QWidget* parent)
    : OptionsPage(parent, "Netscape 4.X Restore Options", "Netscape 4.x", NavigatorInstalled()),
      items_(new NavigatorItemBoxes(this)) {
  Body()->addWidget(items_);
}

bool NavigatorRestorePage::StoreSettings() {
  const ItemSelection selection = items_->Selection();
  return ReplaceItemSelection(RestorerKey(), {selection.begin(), selection.end()});
}

void NavigatorRestorePage::LoadSettings() { items_->Show(ReadItemSelection(RestorerKey())); }

}  // namespace bkvp::navigator::pages
