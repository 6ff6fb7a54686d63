#include "app/ui/wizard/rs_services_page.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/engine/archive_list.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/choose_files_dialog.h"
#include "app/ui/wizard/client_pages_panel.h"
#include "app/ui/wizard/page_messages.h"
#include "clients/files/files_identity.h"

namespace bkvp::ui {

CRsServicesPage::CRsServicesPage(QWidget* parent)
    : QWizardPage(parent),
      panel_(new ClientPagesPanel(PageKind::kRestore, this)),
      chooseFiles_(new QPushButton("Choose files...")),
      choice_(new QLabel) {
  setObjectName("CRsServicesPage");
  setTitle("Check off available data to restore");
  chooseFiles_->setObjectName("chooseFiles");
  choice_->setObjectName("filesChoice");
  auto* row = new QHBoxLayout;
  row->addWidget(chooseFiles_);
  row->addWidget(choice_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_, 1);
  layout->addLayout(row);
  connect(chooseFiles_, &QPushButton::clicked, this, &CRsServicesPage::ChooseFiles);
  // Offered beside the files client's own page.
  connect(panel_, &ClientPagesPanel::currentClientChanged, this,
          [this](engine::ClientEntry* client) {
            const bool files = client && client->clsid == files::kFilesServiceClsid;
            chooseFiles_->setVisible(files);
            choice_->setVisible(files);
          });
  chooseFiles_->hide();
  choice_->hide();
}

int CRsServicesPage::nextId() const { return kPageRestoreFinish; }

void CRsServicesPage::initializePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  auto& archive = sheet->selectedArchive();
  if (!archive || archive->path == matchedPath_) return;
  matchedPath_ = archive->path;
  sheet->chosenFiles().reset();
  ShowChoice();
  panel_->Clear();
  for (const engine::ArchiveClient& section : engine::MatchClients(*archive, sheet->clients()))
    panel_->AddClient(section.name, section.installed, section.restorable(), section.restorable());
  panel_->ShowFirstChecked();
}

void CRsServicesPage::ChooseFiles() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  std::vector<engine::ArchivedFile> files;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Status listed =
      engine::ListArchivedFiles(sheet->selectedArchiveFile(), files::kFilesServiceClsid, {}, files);
  QApplication::restoreOverrideCursor();
  if (!listed.ok() && files.empty()) {
    ShowPageError("The archive's files cannot be listed: " + listed.message() + ".");
    return;
  }
  auto& chosen = sheet->chosenFiles();
  ChooseFilesDialog dialog(files, chosen ? chosen->patterns : std::vector<engine::PathPattern>{},
                           this);
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<engine::PathPattern> patterns = dialog.Patterns();
  if (patterns.empty())
    chosen.reset();
  else
    chosen = engine::ChosenFiles{files::kFilesServiceClsid, std::move(patterns)};
  ShowChoice();
  choice_->setText(chosen ? QString("%1 of %2 files chosen for this restore")
                                .arg(dialog.checkedFiles())
                                .arg(dialog.fileCount())
                          : QString("All files of the archive"));
}

void CRsServicesPage::ShowChoice() {
  choice_->setText(CBkRsPropSheet::Of(wizard())->chosenFiles() ? choice_->text()
                                                               : "All files of the archive");
}

bool CRsServicesPage::validatePage() {
  CBkRsPropSheet* sheet = CBkRsPropSheet::Of(wizard());
  const bool left = panel_->CommitChecked(sheet->clients(), kNoClientToRestoreText);
  // The pages keep the choices; Finish stores them for good.
  sheet->PutBackClientSettings();
  return left;
}

}  // namespace bkvp::ui
