#include "clients/netscape/pages/profile_list.h"

namespace bkvp::netscape::pages {

ProfileList::ProfileList(ProfileRegistry profiles, QWidget* parent)
    : QComboBox(parent), profiles_(std::move(profiles)) {
  for (size_t position = 0; position < profiles_.profileNames.size(); ++position)
    addItem(QString::fromStdString(profiles_.profileNames[position]),
            static_cast<qulonglong>(position));
  if (count() > 0) setCurrentIndex(profiles_.currentIndex >= 0 ? profiles_.currentIndex : 0);
  setEnabled(count() > 1);
}

// The registry's own texts rather than the entry's: a name that is not valid
// UTF-8 must still match what the service compares it with, byte for byte.
std::string ProfileList::SelectedName() const {
  return HasSelection() ? profiles_.profileNames[currentData().toULongLong()] : std::string();
}

std::string ProfileList::SelectedFolder() const {
  return HasSelection() ? profiles_.profileDirectories[currentData().toULongLong()] : std::string();
}

}  // namespace bkvp::netscape::pages
