// BkVpFilesFolders, the files client's backup page: the tree of drives and
// folders, the backup list, and its add, properties and remove buttons.
// Folders and files come onto the list from the add buttons, the tree's menu
// or by dropping them from the desktop; the property dialogs set each
// entry's masks and rules.
// The list is stored in and loaded from the client key's "backuper" subkey,
// where the service reads it at backup time.
#pragma once

#include "clients/common/pages/page_content.h"

class QSplitter;
class QToolButton;
class QTreeWidgetItem;

namespace bkvp::files::pages {

class BackupListItem;
class BackupListView;
class FolderTree;

class BackupListPage : public bkvp::pages::PageContent {
  Q_OBJECT

 public:
  explicit BackupListPage(QWidget* parent);

  bool StoreSettings() override;
  void LoadSettings() override;

  // Puts a path at the end of the list with default settings, as the tree's
  // "Add to the Backup List" and a drop do.
  void AddPath(const QString& path);

 private:
  bool Contains(const QString& path) const;
  BackupListItem* SelectedItem() const;
  void OpenProperties(QTreeWidgetItem* item);
  void RemoveSelected();
  void ShowTreeMenu(const QPoint& position);
  void ShowListMenu(const QPoint& position);
  void UpdateButtons();
  // "Add folder..." and "Add file...": the desktop's file dialog.
  void AddChosen(bool folder);
  // The tree is as wide as the user left it, else as its names need.
  void SizeTreePane();

  FolderTree* tree_;
  BackupListView* list_;
  QSplitter* panes_;
  QToolButton* addFolder_;
  QToolButton* addFile_;
  QToolButton* properties_;
  QToolButton* remove_;
};

}  // namespace bkvp::files::pages
