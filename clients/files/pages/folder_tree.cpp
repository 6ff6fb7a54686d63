#include "clients/files/pages/folder_tree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QStorageInfo>

#include "platform/files.h"

namespace bkvp::files::pages {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

bool HoldsUserFiles(const QStorageInfo& volume) {
  return platform::HoldsUserFiles(volume.rootPath().toStdString(),
                                  volume.fileSystemType().toStdString(),
                                  volume.isValid() && volume.isReady());
}

bool IsInside(const QString& path, const QString& folder) {
  if (folder == "/") return path.startsWith('/');
  return path == folder || path.startsWith(folder + '/');
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::FillChildren);
  AddRoots();
}

QString FolderTree::PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

QString FolderTree::SelectedPath() const { return PathOf(currentItem()); }

QTreeWidgetItem* FolderTree::AddNode(QTreeWidgetItem* parent, const QString& path,
                                     const QString& text, const QIcon& icon) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, text);
  item->setIcon(0, icon);
  item->setData(0, kPathRole, path);
  item->setToolTip(0, path);
  // Whether a folder has subfolders is found out when it is opened.
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

void FolderTree::AddRoots() {
  QFileIconProvider icons;
  const QString home = QDir::homePath();
  if (QFileInfo(home).isDir() && home != "/")
    AddNode(nullptr, home, home, icons.icon(QFileIconProvider::Folder));
  QStringList mounts;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (HoldsUserFiles(volume)) mounts << volume.rootPath();
  mounts.sort();
  mounts.removeDuplicates();
  for (const QString& mount : mounts)
    AddNode(nullptr, mount, mount, icons.icon(QFileIconProvider::Drive));
}

void FolderTree::FillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const QString path = PathOf(item);
  QDir folder(path);
  // Hidden folders begin with "."; QDir leaves them out without QDir::Hidden.
  const QStringList names =
      folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  QFileIconProvider icons;
  const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
  for (const QString& name : names)
    AddNode(item, path == "/" ? "/" + name : path + "/" + name, name, folderIcon);
  if (names.isEmpty())
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool FolderTree::SelectPath(const QString& path) {
  // The deepest root holding the path.
  QTreeWidgetItem* node = nullptr;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = topLevelItem(i);
    if (IsInside(path, PathOf(root)) && (!node || PathOf(root).size() > PathOf(node).size()))
      node = root;
  }
  while (node && PathOf(node) != path) {
    node->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < node->childCount() && !next; ++i)
      if (IsInside(path, PathOf(node->child(i)))) next = node->child(i);
    node = next;
  }
  if (!node) return false;
  setCurrentItem(node);
  scrollToItem(node);
  return true;
}

}  // namespace bkvp::files::pages
