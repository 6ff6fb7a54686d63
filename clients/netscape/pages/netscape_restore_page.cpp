#include "clients/netscape/pages/netscape_restore_page.h"

#include "clients/common/client_options.h"
#include "clients/common/registry_access.h"
#include "clients/netscape/pages/profile_list.h"

namespace bkvp::netscape::pages {

NetscapeRestorePage::NetscapeRestorePage(QWidget* parent, const NetscapeEdition& edition)
    : NetscapeProfilePage(parent, edition,
                          {"Restore", "Select a profile to restore",
                           "Backup Vopal will restore next items if they are available in "
                           "current archive."}) {
  AddWarning({"WARNING:", "All previous data of selected profile will be deleted!"});
}

bool NetscapeRestorePage::StoreSettings() {
  const std::string key = OptionKey(kStrRestorer);
  clients::DeleteAllValues(key);
  return clients::WriteString(key, clients::kOptPath, profiles()->SelectedFolder());
}

}  // namespace bkvp::netscape::pages
