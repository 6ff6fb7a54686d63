#include "app/ui/wizard/bk_rs_prop_sheet.h"

#include <QAbstractButton>
#include <QApplication>

#include "app/engine/discovery.h"
#include "app/ui/about_dialog.h"
#include "app/ui/commands.h"
#include "app/ui/event_trace.h"
#include "app/ui/tray_artwork.h"
#include "app/ui/wizard/bk_dest_page.h"
#include "app/ui/wizard/bk_finish_page.h"
#include "app/ui/wizard/bk_scheduler_page.h"
#include "app/ui/wizard/bk_services_page.h"
#include "app/ui/wizard/client_pages_panel.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/rs_finish_page.h"
#include "app/ui/wizard/rs_services_page.h"
#include "app/ui/wizard/rs_src_page.h"
#include "app/ui/wizard/start_page.h"

namespace bkvp::ui {
CBkRsPropSheet::CBkRsPropSheet(const engine::ProgramSettings& settings, QWidget* parent)
    : QWizard(parent),
      settings_(settings),
      clients_(engine::DiscoverClients()),
      clientSettings_(engine::SettingsSnapshot::Take(engine::ClientSettingsKeys(clients_))) {
  setObjectName("wizard");
  setWindowTitle("Backup Vopal");
  setWindowIcon(ProgramIcon());
  setWizardStyle(QWizard::ModernStyle);
  setPage(kPageStart, new CStartPage);
  setPage(kPageBackupClients, new CBkServicesPage);
  setPage(kPageBackupDestination, new CBkDestPage);
  setPage(kPageBackupSchedule, new CBkSchedulerPage);
  setPage(kPageBackupFinish, new CBkFinishPage);
  setPage(kPageRestoreSource, new CRsSrcPage);
  setPage(kPageRestoreClients, new CRsServicesPage);
  setPage(kPageRestoreFinish, new CRsFinishPage);
  setOption(QWizard::HaveCustomButton1);
  setButtonText(QWizard::CustomButton1, "&About Backup Vopal...");
  connect(this, &QWizard::customButtonClicked, this, [this](int which) {
    if (which == QWizard::CustomButton1) ShowAbout();
  });
  resize(800, 580);
}

CBkRsPropSheet::~CBkRsPropSheet() {
  // The pages hold the clients' hosted pages and the archives' readers: they
  // go before the client list releases the services.
  for (int id : pageIds()) {
    QWizardPage* gone = page(id);
    removePage(id);
    delete gone;
  }
  selectedArchive_.reset();
  if (!committed_) PutBackClientSettings();
}

bool CBkRsPropSheet::StoreClientPages(int clientsPage) {
  auto* panel = page(clientsPage)->findChild<ClientPagesPanel*>();
  return !panel || panel->StoreChecked();
}

void CBkRsPropSheet::PutBackClientSettings() {
  if (const Status restored = clientSettings_.Restore(); !restored.ok())
    ShowPageError("The wizard could not put back what it changed: " + restored.message() + ".");
}

void CBkRsPropSheet::ShowRunEnded() {
  runEnded_ = true;
  setButtonText(FinishButton, "Close");
  button(BackButton)->setEnabled(false);
  button(CancelButton)->hide();
}

void CBkRsPropSheet::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

void CBkRsPropSheet::EnableButtons(bool enabled) {
  for (WizardButton which : {BackButton, FinishButton, CustomButton1, CancelButton})
    if (QAbstractButton* b = button(which)) b->setEnabled(enabled || which == CancelButton);
}

void CBkRsPropSheet::reject() {
  if (!running_) return QWizard::reject();
  TraceEvent("run cancelled by the user");
  cancel_.Request(engine::CancelRequest::Reason::kUser);
  button(CancelButton)->setEnabled(false);
}

CBkRsPropSheet::RunScope::RunScope(CBkRsPropSheet& sheet) : sheet_(sheet) {
  sheet_.cancel_.Reset();
  sheet_.running_ = true;
  sheet_.EnableButtons(false);
  QApplication::setOverrideCursor(Qt::BusyCursor);
}

CBkRsPropSheet::RunScope::~RunScope() {
  QApplication::restoreOverrideCursor();
  sheet_.running_ = false;
  sheet_.EnableButtons(true);
}

}  // namespace bkvp::ui
