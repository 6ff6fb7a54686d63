#include "app/ui/wizard/bk_rs_prop_sheet.h"

#include "app/engine/discovery.h"
#include "app/ui/about_dialog.h"
#include "app/ui/commands.h"
#include "app/ui/tray_artwork.h"
#include "app/ui/wizard/bk_dest_page.h"
#include "app/ui/wizard/bk_finish_page.h"
#include "app/ui/wizard/bk_scheduler_page.h"
#include "app/ui/wizard/bk_services_page.h"
#include "app/ui/wizard/rs_finish_page.h"
#include "app/ui/wizard/rs_services_page.h"
#include "app/ui/wizard/rs_src_page.h"
#include "app/ui/wizard/start_page.h"

namespace bkvp::ui {
namespace {

CBkRsPropSheet* gCurrentSheet = nullptr;

}  // namespace

CBkRsPropSheet::CBkRsPropSheet(engine::ProgramSettings& settings, QWidget* parent)
    : QWizard(parent), settings_(settings), clients_(engine::DiscoverClients()) {
  gCurrentSheet = this;
  setObjectName("wizard");
  setWindowTitle("Backup Vopal");
  setWindowIcon(ProgramIcon());
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
}

CBkRsPropSheet::~CBkRsPropSheet() {
  if (gCurrentSheet == this) gCurrentSheet = nullptr;
}

CBkRsPropSheet* CBkRsPropSheet::Current() { return gCurrentSheet; }

void CBkRsPropSheet::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

}  // namespace bkvp::ui
