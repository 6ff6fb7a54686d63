// BkVpAxRsNetscape, the Netscape 4.x restore page: the profile items as the
// archive recorded them (the service's SetOptions puts them in the
// "restorer" subkey), stored back there. The client restores whole profiles.
#pragma once

#include "clients/common/pages/options_page.h"

namespace bkvp::navigator::pages {

class NavigatorItemBoxes;

class NavigatorRestorePage final : public bkvp::pages::OptionsPage {
  Q_OBJECT

 public:
  explicit NavigatorRestorePage(QWidget* parent);

  bool StoreSettings() override;
  void LoadSettings() override;

 private:
  NavigatorItemBoxes* items_;
};

}  // namespace bkvp::navigator::pages
