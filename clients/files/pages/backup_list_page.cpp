#include "clients/files/pages/backup_list_page.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "clients/files/pages/backup_list_item.h"
#include "clients/files/pages/backup_list_view.h"
#include "clients/files/pages/file_properties_dialog.h"
#include "clients/files/pages/folder_properties_dialog.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/page_controls.h"
#include "clients/files/pages/page_icons.h"
#include "clients/files/pages/user_questions.h"
#include "contract/identifiers.h"
#include "platform/registry.h"

namespace bkvp::files::pages {

namespace {

constexpr int kIconSize = 24;

QString Text(int id) { return QString::fromUtf8(LoadFilesString(id)); }

QString WithoutTrailingSeparator(QString path) {
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  return path;
}

// Where the tree's width is remembered: the program's own window choices,
// apart from the client's settings.
std::string InterfaceKey() { return std::string(kProgramKey) + "\\Interface"; }
constexpr const char* kTreeWidth = "FilesTreeWidth";

QWidget* Titled(const QString& title, QWidget* content, QLayout* beside = nullptr) {
  auto* pane = new QWidget;
  auto* layout = new QGridLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(title), 0, 0);
  layout->addWidget(content, 1, 0);
  if (beside) layout->addLayout(beside, 1, 1);
  return pane;
}

}  // namespace

BackupListPage::BackupListPage(QWidget* parent)
    : PageContent(parent),
      tree_(new FolderTree(this)),
      list_(new BackupListView(this)),
      panes_(new QSplitter(Qt::Horizontal, this)),
      addFolder_(IconButton(this, AddFolderIcon(), "Add folder...", kIconSize)),
      addFile_(IconButton(this, AddFileIcon(), "Add file...", kIconSize)),
      properties_(IconButton(this, PropertiesIcon(), Text(IDS_MENU_PROPERTIES), kIconSize)),
      remove_(IconButton(this, RemoveIcon(), Text(IDS_MENU_DELETE), kIconSize)) {
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  addFolder_->setObjectName("addFolder");
  addFile_->setObjectName("addFile");

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(addFolder_);
  buttons->addWidget(addFile_);
  buttons->addSpacing(8);
  buttons->addWidget(properties_);
  buttons->addWidget(remove_);
  buttons->addStretch();
  panes_->setObjectName("panes");
  panes_->setChildrenCollapsible(false);
  panes_->addWidget(Titled("Folders on local drive(s)", tree_));
  panes_->addWidget(Titled("Folder(s) to back up", list_, buttons));
  panes_->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panes_);
  SizeTreePane();
  connect(panes_, &QSplitter::splitterMoved, this, [this] {
    platform::RegWriteDword(InterfaceKey(), kTreeWidth, uint32_t(panes_->sizes().value(0)));
  });
  connect(addFolder_, &QToolButton::clicked, this, [this] { AddChosen(true); });
  connect(addFile_, &QToolButton::clicked, this, [this] { AddChosen(false); });

  connect(tree_, &QWidget::customContextMenuRequested, this, &BackupListPage::ShowTreeMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, &BackupListPage::ShowListMenu);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &BackupListPage::UpdateButtons);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, &BackupListPage::OpenProperties);
  connect(list_, &BackupListView::deletePressed, this, &BackupListPage::RemoveSelected);
  connect(list_, &BackupListView::pathsDropped, this, [this](const QStringList& paths) {
    for (const QString& path : paths) AddPath(path);
  });
  connect(properties_, &QToolButton::clicked, this, [this] { OpenProperties(SelectedItem()); });
  connect(remove_, &QToolButton::clicked, this, &BackupListPage::RemoveSelected);
  UpdateButtons();
}

bool BackupListPage::StoreSettings() {
  std::vector<ListEntry> entries;
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    entries.push_back(static_cast<BackupListItem*>(list_->topLevelItem(i))->entry());
  return WriteBackupList(entries) == platform::ERROR_SUCCESS;
}

void BackupListPage::LoadSettings() {
  list_->clear();
  for (ListEntry& entry : ReadBackupList()) new BackupListItem(list_, std::move(entry));
  UpdateButtons();
}

void BackupListPage::AddPath(const QString& path) {
  // TAB and CR separate the fields of a stored entry; such a path cannot be
  // stored faithfully, so it is refused rather than saved as something else.
  if (path.isEmpty() || path.contains('\t') || path.contains('\r')) {
    ShowError(("This path cannot be added to the backup list:\n" + path).toStdString());
    return;
  }
  BackupListItem::ForPath(list_, path.toStdString());
  UpdateButtons();
}

bool BackupListPage::Contains(const QString& path) const {
  const QString wanted = WithoutTrailingSeparator(path);
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    if (WithoutTrailingSeparator(list_->topLevelItem(i)->text(0)) == wanted) return true;
  return false;
}

BackupListItem* BackupListPage::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.size() == 1 ? static_cast<BackupListItem*>(selected.first()) : nullptr;
}

void BackupListPage::OpenProperties(QTreeWidgetItem* row) {
  auto* item = static_cast<BackupListItem*>(row);
  if (!item) return;
  int result = QDialog::Rejected;
  if (auto* folder = std::get_if<FolderEntry>(&item->entry()))
    result = FolderPropertiesDialog(*folder, window()).exec();
  else
    result = FilePropertiesDialog(std::get<FileEntry>(item->entry()), window()).exec();
  if (result == QDialog::Accepted) item->EntryEdited();
}

void BackupListPage::RemoveSelected() {
  qDeleteAll(list_->selectedItems());
  UpdateButtons();
}

void BackupListPage::ShowTreeMenu(const QPoint& position) {
  QTreeWidgetItem* node = tree_->itemAt(position);
  if (!node) return;
  tree_->setCurrentItem(node);
  const QString path = FolderTree::PathOf(node);
  QMenu menu(this);
  QAction* add = menu.addAction(Text(IDS_MENU_ADD));
  add->setEnabled(!Contains(path));
  QAction* explore = menu.addAction(Text(IDS_MENU_EXPLORE));
  QAction* chosen = menu.exec(tree_->viewport()->mapToGlobal(position));
  if (chosen == add)
    AddPath(path);
  else if (chosen == explore)
    QDesktopServices::openUrl(QUrl::fromLocalFile(WithoutTrailingSeparator(path)));
}

void BackupListPage::ShowListMenu(const QPoint& position) {
  QTreeWidgetItem* row = list_->itemAt(position);
  if (!row || !row->isSelected()) return;
  QMenu menu(this);
  QAction* properties = menu.addAction(Text(IDS_MENU_PROPERTIES));
  properties->setEnabled(SelectedItem() != nullptr);
  menu.addSeparator();
  QAction* remove = menu.addAction(Text(IDS_MENU_DELETE));
  QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(position));
  if (chosen == properties)
    OpenProperties(SelectedItem());
  else if (chosen == remove)
    RemoveSelected();
}

void BackupListPage::SizeTreePane() {
  int width = int(platform::RegReadDword(InterfaceKey(), kTreeWidth).value_or(0));
  if (width <= 0) {
    tree_->resizeColumnToContents(0);
    width = std::clamp(tree_->header()->sectionSize(0) + 32, 220, 360);
  }
  panes_->setSizes({width, std::max(width, 400)});
}

void BackupListPage::AddChosen(bool folder) {
  const QString start = tree_->SelectedPath().isEmpty() ? QDir::homePath() : tree_->SelectedPath();
  const QString path =
      folder ? QFileDialog::getExistingDirectory(
                   this, "Add a folder to the backup list", start,
                   QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog)
             : QFileDialog::getOpenFileName(this, "Add a file to the backup list", start, {},
                                            nullptr, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  if (Contains(path)) {
    ShowError(("This path is on the backup list already:\n" + path).toStdString());
    return;
  }
  AddPath(path);
}

void BackupListPage::UpdateButtons() {
  const auto selected = list_->selectedItems().size();
  properties_->setEnabled(selected == 1);
  remove_->setEnabled(selected >= 1);
}

}  // namespace bkvp::files::pages
