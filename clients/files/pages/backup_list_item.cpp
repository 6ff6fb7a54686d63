#include "clients/files/pages/backup_list_item.h"

#include "clients/files/entry_columns.h"
#include "platform/files.h"

namespace bkvp::files::pages {

namespace {

constexpr int kPathColumn = 0;
constexpr int kIncludeColumn = 1;
constexpr int kExcludeColumn = 2;

ListEntry DefaultEntry(const std::string& path) {
  if (platform::DirectoryExists(path)) return FolderEntry{path};
  return FileEntry{path};
}

}  // namespace

BackupListItem* BackupListItem::ForPath(QTreeWidget* list, const std::string& path) {
  return new BackupListItem(list, DefaultEntry(path), true);
}

BackupListItem::BackupListItem(QTreeWidget* list, ListEntry entry)
    : BackupListItem(list, std::move(entry), false) {}

BackupListItem::BackupListItem(QTreeWidget* list, ListEntry entry, bool fresh)
    : QTreeWidgetItem(list), entry_(std::move(entry)), fresh_(fresh) {
  UpdateTexts();
}

void BackupListItem::EntryEdited() {
  fresh_ = false;
  UpdateTexts();
}

void BackupListItem::UpdateTexts() {
  const QString path = QString::fromStdString(EntryPath(entry_));
  setText(kPathColumn, path);
  setToolTip(kPathColumn, path);
  const EntryColumns columns = ColumnsOf(entry_);
  const bool freshFile = fresh_ && !IsFolder();
  const QString include = QString::fromStdString(freshFile ? kFreshFileText : columns.include);
  const QString exclude = QString::fromStdString(columns.exclude);
  // Narrow columns cut long mask lists; the tool tip shows the whole text.
  setText(kIncludeColumn, include);
  setToolTip(kIncludeColumn, include);
  setText(kExcludeColumn, exclude);
  setToolTip(kExcludeColumn, exclude);
}

}  // namespace bkvp::files::pages
