// The list of a Netscape 6/7 page: the profiles the browser knows, by name,
// in the profile registry's order, each entry keeping its position in the
// registry's lists. The current profile (else the first) starts selected;
// with one profile or none there is nothing to choose and the list is
// disabled.
#pragma once

#include <QComboBox>
#include <string>

#include "clients/netscape/profile_registry.h"

namespace bkvp::netscape::pages {

class ProfileList : public QComboBox {
  Q_OBJECT

 public:
  ProfileList(ProfileRegistry profiles, QWidget* parent);

  bool HasSelection() const { return currentIndex() >= 0; }
  // The selected profile's name and folder; "" without a selection.
  std::string SelectedName() const;
  std::string SelectedFolder() const;

 private:
  ProfileRegistry profiles_;
};

}  // namespace bkvp::netscape::pages
