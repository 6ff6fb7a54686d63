#include "app/ui/wizard/rs_src_page.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/engine/program_settings.h"
#include "app/engine/remote_archives.h"
#include "app/engine/remote_place.h"
#include "app/engine/restore_now.h"
#include "app/engine/restore_source.h"
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
  archives_->setTextElideMode(Qt::ElideMiddle);
  noArchives_->setObjectName("noArchives");
  noArchives_->setWordWrap(true);
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

// The archive named on the command line, else the place of the last backup
// with its newest archive selected.
void CRsSrcPage::initializePage() {
  if (opened_) return;
  opened_ = true;
  const engine::ProgramSettings& settings = CBkRsPropSheet::Of(wizard())->settings();
  if (!settings.cmdLineFile.empty()) return OpenCommandLineFile(settings.cmdLineFile);
  const QString place = QString::fromStdString(engine::SuggestedRestoreSource(settings));
  if (place.isEmpty()) return;
  const bool shown = engine::IsRemotePlace(place.toStdString()) ? chooser_->SelectRemote(place)
                                                                : chooser_->SelectFolder(place);
  if (!shown) return;
  if (const int newest = engine::NewestArchiveIndex(entries_); newest >= 0)
    archives_->setCurrentItem(archives_->topLevelItem(newest));
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
  std::string problem;
  if (place.isEmpty()) {
    entries_.clear();
  } else {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<std::vector<engine::ArchiveEntry>> found =
        engine::ListArchivesAt(engine::ResolvePlace(place.toStdString()));
    entries_.clear();
    if (found.ok())
      entries_ = std::move(found.value());
    else
      problem = found.status().message();
    QApplication::restoreOverrideCursor();
  }
  ShowArchives();
  noArchives_->setText(problem.empty() ? engine::kNoArchivesText
                                       : QString::fromStdString("No archives could be looked "
                                                                "for there: " +
                                                                problem + "."));
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
  engine::ArchiveEntry& entry = entries_[size_t(row)];
  std::string file = entry.path;
  // An archive on another machine is listed from its first bytes; it is
  // fetched once it is chosen.
  if (!entry.isOpen()) {
    const std::string place = entry.path;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status opened = engine::OpenArchiveForRestore(place, entry);
    QApplication::restoreOverrideCursor();
    if (!opened.ok()) {
      ShowPageError("The archive cannot be opened: " + opened.message() + ".");
      return false;
    }
    // The copy is read; the summary and the run's record name the archive.
    file = entry.path;
    entry.path = place;
  }
  CBkRsPropSheet::Of(wizard())->selectedArchive() = entry;
  CBkRsPropSheet::Of(wizard())->selectedArchiveFile() = file;
  return true;
}

}  // namespace bkvp::ui
