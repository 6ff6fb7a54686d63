#include "app/ui/wizard/rs_finish_page.h"

#include <QVBoxLayout>

#include "app/engine/restore_now.h"
#include "app/engine/wizard_summary.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/run_progress.h"
#include "app/ui/wizard/summary_view.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"

namespace bkvp::ui {
namespace {

constexpr const char* kTitle = "Congratulation, wizard completed successfully";

}  // namespace

CRsFinishPage::CRsFinishPage(QWidget* parent)
    : QWizardPage(parent), summary_(new SummaryView), progress_(new RunProgress) {
  setObjectName("CRsFinishPage");
  setTitle(kTitle);
  progress_->setObjectName("runProgress");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_, 1);
  layout->addWidget(progress_);
}

int CRsFinishPage::nextId() const { return -1; }

void CRsFinishPage::initializePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  std::string text = engine::RestoreSummary(sheet->clients().SelectedNames());
  if (sheet->selectedArchive()) {
    // The files client's choices, as its page would store them.
    engine::FilesRestorePlan files{files::kFilesServiceClsid, "", false};
    if (sheet->StoreClientPages(kPageRestoreClients)) {
      const files::RestoreChoices choices = files::ReadRestoreChoices();
      files.folder = choices.destination;
      files.overwrite = choices.overwrite;
    }
    if (const auto& chosen = sheet->chosenFiles()) files.chosen = int(chosen->patterns.size());
    sheet->PutBackClientSettings();
    text += engine::RestorePlan(*sheet->selectedArchive(), sheet->clients(), files);
  }
  summary_->Show(text);
  progress_->Reset();
}

bool CRsFinishPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  if (sheet->runEnded()) return true;
  if (sheet->running() || !sheet->selectedArchive() ||
      !sheet->StoreClientPages(kPageRestoreClients))
    return false;
  sheet->Commit();
  engine::ArchiveEntry& archive = *sheet->selectedArchive();
  setTitle(RunTitle(engine::RunKind::kRestore, nullptr));
  const engine::RunOutcome outcome = progress_->Drive(
      *sheet, {engine::RunKind::kRestore, archive.path, ""},
      [&](engine::ProgressDisplay* display, const engine::CancelRequest* cancel) {
        return engine::RestoreNow(archive, sheet->clients(), display, cancel,
                                  sheet->chosenFiles() ? &*sheet->chosenFiles() : nullptr);
      });
  setTitle(outcome.result == engine::RunResult::kCouldNotStart
               ? kTitle
               : RunTitle(engine::RunKind::kRestore, &outcome));
  return false;
}

}  // namespace bkvp::ui
