#include "clients/files/pages/backup_list_page.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
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

namespace bkvp::files::pages {

namespace {

constexpr int kIconSize = 24;

QString Text(int id) { return QString::fromUtf8(LoadFilesString(id)); }

QString WithoutTrailingSeparator(QString path) {
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  return path;
}

}  // namespace

BackupListPage::BackupListPage(QWidget* parent)
    : PageContent(parent),
      tree_(new FolderTree(this)),
      list_(new BackupListView(this)),
      properties_(IconButton(this, PropertiesIcon(), Text(IDS_MENU_PROPERTIES), kIconSize)),
      remove_(IconButton(this, RemoveIcon(), Text(IDS_MENU_DELETE), kIconSize)) {
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(properties_);
  buttons->addWidget(remove_);
  buttons->addStretch();
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("Folders on local drive(s)", this), 0, 0);
  layout->addWidget(new QLabel("Folder(s) to back up", this), 0, 1);
  layout->addWidget(tree_, 1, 0);
  layout->addWidget(list_, 1, 1);
  layout->addLayout(buttons, 1, 2);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(1, 2);

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

void BackupListPage::UpdateButtons() {
  const auto selected = list_->selectedItems().size();
  properties_->setEnabled(selected == 1);
  remove_->setEnabled(selected >= 1);
}

}  // namespace bkvp::files::pages
