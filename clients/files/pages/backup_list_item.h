// One row of the backup list: a folder or a file with its settings, shown as
// its path and the "Include Mask" and "Exclude Mask" texts. Each row keeps
// its own entry, so a folder that disappears from the disk is still stored
// as the folder it was.
#pragma once

#include <QTreeWidgetItem>

#include "clients/files/backup_entry.h"

namespace bkvp::files::pages {

class BackupListItem : public QTreeWidgetItem {
 public:
  // A path the user put on the list: an existing folder gets a folder's
  // default settings, anything else a file's.
  static BackupListItem* ForPath(QTreeWidget* list, const std::string& path);
  // An entry read from the stored list.
  BackupListItem(QTreeWidget* list, ListEntry entry);

  ListEntry& entry() { return entry_; }
  const ListEntry& entry() const { return entry_; }
  bool IsFolder() const { return std::holds_alternative<FolderEntry>(entry_); }

  // After the properties dialog ended with OK: the texts follow the entry.
  void EntryEdited();

 private:
  BackupListItem(QTreeWidget* list, ListEntry entry, bool fresh);
  void UpdateTexts();

  ListEntry entry_;
  // Put on the list and not yet opened in a properties dialog.
  bool fresh_;
};

}  // namespace bkvp::files::pages
