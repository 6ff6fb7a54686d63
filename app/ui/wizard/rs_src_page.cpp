#include "app/ui/wizard/rs_src_page.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/engine/program_settings.h"
#include "app/engine/restore_now.h"
#include "app/engine/run_backup.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/place_chooser.h"

namespace bkvp::ui {

CRsSrcPage::CRsSrcPage(QWidget* parent)
    : QWizardPage(parent),
      chooser_(new PlaceChooser(VolumeList::Purpose::kRestoreSource, "Disk drive", "Folder")),
      archives_(new QTreeWidget),
      noArchives_(new QLabel(engine::kNoArchivesText)) {
  setObjectName("CRsSrcPage");
  setTitle("Select location of an existing archive");
  archives_->setObjectName("archiveList");
  archives_->setHeaderLabels({"Label", "Made on", "Computer"});
  archives_->setRootIsDecorated(false);
  archives_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  archives_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  archives_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  noArchives_->setObjectName("noArchives");
  noArchives_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chooser_, 3);
  layout->addWidget(new QLabel("Available archive(s)"));
  layout->addWidget(archives_, 2);
  layout->addWidget(noArchives_);
  connect(chooser_, &PlaceChooser::placeChanged, this, &CRsSrcPage::Search);
}

CRsSrcPage::~CRsSrcPage() {
  entries_.clear();
  // Not kept for the next wizard either way; a failure is the store's to report.
  static_cast<void>(engine::WriteCmdLineFile(""));
}

int CRsSrcPage::nextId() const { return kPageRestoreClients; }

void CRsSrcPage::initializePage() {
  if (opened_) return;
  opened_ = true;
  OpenCommandLineFile(CBkRsPropSheet::Of(wizard())->settings().cmdLineFile);
}

// The file's folder is searched and the file selected; a file not named as
// archives are is added to what the search found.
void CRsSrcPage::OpenCommandLineFile(const std::string& path) {
  if (path.empty()) return;
  engine::ArchiveEntry entry;
  if (!engine::OpenArchiveForRestore(path, entry).ok()) return;
  chooser_->SelectFolder(QFileInfo(QString::fromStdString(path)).absolutePath());
  const bool found = std::any_of(entries_.begin(), entries_.end(),
                                 [&](const engine::ArchiveEntry& e) { return e.path == path; });
  if (!found) {
    entries_.insert(entries_.begin(), std::move(entry));
    ShowArchives();
  }
  SelectArchive(path);
}

void CRsSrcPage::Search(const QString& place) {
  entries_ = place.isEmpty() ? std::vector<engine::ArchiveEntry>()
                             : engine::ListArchives(engine::WithTrailingSlash(place.toStdString()));
  ShowArchives();
  noArchives_->setVisible(!place.isEmpty() && entries_.empty());
}

void CRsSrcPage::ShowArchives() {
  archives_->clear();
  for (const engine::ArchiveEntry& entry : entries_) {
    auto* item = new QTreeWidgetItem(archives_);
    item->setText(0, QString::fromStdString(entry.label));
    item->setText(
        1, QLocale().toString(QDateTime::fromSecsSinceEpoch(entry.time), QLocale::ShortFormat));
    item->setText(2, QString::fromStdString(entry.machineName));
    item->setToolTip(0, QString::fromStdString(entry.path));
  }
  noArchives_->setVisible(false);
}

void CRsSrcPage::SelectArchive(const std::string& path) {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].path == path) archives_->setCurrentItem(archives_->topLevelItem(int(i)));
}

bool CRsSrcPage::validatePage() {
  const int row = archives_->indexOfTopLevelItem(archives_->currentItem());
  if (row < 0 || size_t(row) >= entries_.size()) {
    ShowPageWarning(kNoArchiveSelectedText);
    return false;
  }
  CBkRsPropSheet::Of(wizard())->selectedArchive() = entries_[size_t(row)];
  return true;
}

}  // namespace bkvp::ui
