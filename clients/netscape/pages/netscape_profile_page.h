// What both pages of a Netscape 6/7 client show: the profile to work on,
// chosen from the browser's profile registry, and the items a profile holds.
// A page is valid only with a profile selected; otherwise it says so in a
// warning box.
#pragma once

#include "clients/common/pages/options_page.h"
#include "clients/netscape/netscape_edition.h"

namespace bkvp::netscape::pages {

class ProfileList;

class NetscapeProfilePage : public bkvp::pages::OptionsPage {
  Q_OBJECT

 public:
  bool IsValid() override;

 protected:
  struct Texts {
    QString action;         // "Backup" or "Restore", for the title
    QString chooseProfile;  // the label above the list
    QString itemsIntro;     // the label above the items
  };
  NetscapeProfilePage(QWidget* parent, const NetscapeEdition& edition, const Texts& texts);

  ProfileList* profiles() const { return profiles_; }
  // The client's option key below "backuper" (kStrBackuper) or "restorer"
  // (kStrRestorer).
  std::string OptionKey(int subkeyString) const;

 private:
  const NetscapeEdition& edition_;
  ProfileList* profiles_;
};

}  // namespace bkvp::netscape::pages
