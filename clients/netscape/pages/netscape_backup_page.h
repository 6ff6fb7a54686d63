// BkVpAxBkNetscape6 / BkVpAxBkNetscape7, the backup page: the profile to save
// ("Path", "ProfileName"), and whether to close a browser running with that
// profile without asking ("AutoClose") and open its mail window after the
// backup ("AutoRestart"). The list always starts at the current profile; the
// stored profile is not loaded back.
#pragma once

#include "clients/netscape/pages/netscape_profile_page.h"

namespace bkvp::pages {
class CloseRestartChoices;
}

namespace bkvp::netscape::pages {

class NetscapeBackupPage : public NetscapeProfilePage {
  Q_OBJECT

 public:
  NetscapeBackupPage(QWidget* parent, const NetscapeEdition& edition);

  bool StoreSettings() override;
  void LoadSettings() override;

 private:
  bkvp::pages::CloseRestartChoices* closeRestart_;
};

// The page of one edition, as a page module creates it.
template <const NetscapeEdition& (*Edition)()>
class NetscapeBackupPageOf final : public NetscapeBackupPage {
 public:
  explicit NetscapeBackupPageOf(QWidget* parent) : NetscapeBackupPage(parent, Edition()) {}
};

}  // namespace bkvp::netscape::pages
