// BkVpAxRsNetscape6 / BkVpAxRsNetscape7, the restore page: the profile whose
// folder the saved profile replaces ("Path"). Nothing is loaded back: the
// list always starts at the current profile.
#pragma once

#include "clients/netscape/pages/netscape_profile_page.h"

namespace bkvp::netscape::pages {

class NetscapeRestorePage : public NetscapeProfilePage {
  Q_OBJECT

 public:
  NetscapeRestorePage(QWidget* parent, const NetscapeEdition& edition);

  bool StoreSettings() override;
};

// The page of one edition, as a page module creates it.
template <const NetscapeEdition& (*Edition)()>
class NetscapeRestorePageOf final : public NetscapeRestorePage {
 public:
  explicit NetscapeRestorePageOf(QWidget* parent) : NetscapeRestorePage(parent, Edition()) {}
};

}  // namespace bkvp::netscape::pages
