#include "app/ui/wizard/rs_finish_page.h"

#include <QVBoxLayout>

#include "app/engine/restore_now.h"
#include "app/engine/wizard_summary.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/run_progress.h"
#include "app/ui/wizard/summary_view.h"

namespace bkvp::ui {

CRsFinishPage::CRsFinishPage(QWidget* parent)
    : QWizardPage(parent), summary_(new SummaryView), progress_(new RunProgress) {
  setObjectName("CRsFinishPage");
  setTitle("Congratulation, wizard completed successfully");
  progress_->setObjectName("runProgress");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_, 1);
  layout->addWidget(progress_);
}

int CRsFinishPage::nextId() const { return -1; }

void CRsFinishPage::initializePage() {
  summary_->Show(engine::RestoreSummary(CBkRsPropSheet::Of(wizard())->clients().SelectedNames()));
  progress_->Reset();
}

bool CRsFinishPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  if (sheet->running() || !sheet->selectedArchive()) return false;
  return progress_->Drive(
      *sheet, engine::WizardRun::kRestore,
      [&](engine::ProgressDisplay* display, const engine::CancelRequest* cancel) {
        return engine::RestoreNow(*sheet->selectedArchive(), sheet->clients(), display, cancel);
      });
}

}  // namespace bkvp::ui
