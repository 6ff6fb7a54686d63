#include "app/ui/wizard/bk_services_page.h"

#include <QVBoxLayout>

#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/client_pages_panel.h"
#include "app/ui/wizard/page_messages.h"

namespace bkvp::ui {

CBkServicesPage::CBkServicesPage(QWidget* parent)
    : QWizardPage(parent), panel_(new ClientPagesPanel(PageKind::kBackup, this)) {
  setObjectName("CBkServicesPage");
  setTitle("Check off data you want to back up .");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
}

int CBkServicesPage::nextId() const { return kPageBackupDestination; }

// The clients present on this machine, checked as the last wizard left them.
void CBkServicesPage::initializePage() {
  if (filled_) return;
  filled_ = true;
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  engine::ClientList& clients = sheet->clients();
  clients.ClearSelection();
  clients.Select(sheet->settings().clients);
  for (engine::ClientEntry& client : clients.entries())
    if (engine::IsClientPresent(client))
      panel_->AddClient(client.name, &client, true, client.selected);
  panel_->ShowFirstChecked();
}

bool CBkServicesPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  const bool left = panel_->CommitChecked(
      sheet->clients(), kNoClientToBackUpText, [](engine::ClientEntry& client) {
        // A client that has nothing to save now says why.
        const std::string why = engine::ClientInfoText(client, "HasBackup").value_or("");
        if (why.empty()) return true;
        ShowPageWarning(why);
        return false;
      });
  // The pages keep the choices; Finish stores them for good.
  sheet->PutBackClientSettings();
  return left;
}

}  // namespace bkvp::ui
