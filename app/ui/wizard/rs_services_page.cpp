#include "app/ui/wizard/rs_services_page.h"

#include <QVBoxLayout>

#include "app/engine/archive_list.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/client_pages_panel.h"
#include "app/ui/wizard/page_messages.h"

namespace bkvp::ui {

CRsServicesPage::CRsServicesPage(QWidget* parent)
    : QWizardPage(parent), panel_(new ClientPagesPanel(PageKind::kRestore, this)) {
  setObjectName("CRsServicesPage");
  setTitle("Check off available data to restore");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
}

int CRsServicesPage::nextId() const { return kPageRestoreFinish; }

void CRsServicesPage::initializePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  auto& archive = sheet->selectedArchive();
  if (!archive || archive->path == matchedPath_) return;
  matchedPath_ = archive->path;
  panel_->Clear();
  for (const engine::ArchiveClient& section : engine::MatchClients(*archive, sheet->clients()))
    panel_->AddClient(section.name, section.installed, section.restorable(), section.restorable());
  panel_->ShowFirstChecked();
}

bool CRsServicesPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  const bool left = panel_->CommitChecked(sheet->clients(), kNoClientToRestoreText);
  // The pages keep the choices; Finish stores them for good.
  sheet->PutBackClientSettings();
  return left;
}

}  // namespace bkvp::ui
