// "Choose files...": the files of one client's section of the archive as a
// tree of folders and files with check boxes and a filter, for a restore of
// just those. Everything starts checked.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/engine/archive_files.h"
#include "app/engine/path_pattern.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace bkvp::ui {

class ChooseFilesDialog : public QDialog {
  Q_OBJECT
 public:
  // `chosen` is an earlier choice of this run to show again (empty: all).
  ChooseFilesDialog(const std::vector<engine::ArchivedFile>& files,
                    const std::vector<engine::PathPattern>& chosen, QWidget* parent = nullptr);

  // The choice as patterns, as few as the tree allows: a folder whose files
  // are all checked is one pattern. Empty when everything is checked.
  std::vector<engine::PathPattern> Patterns() const;
  int checkedFiles() const;
  int fileCount() const { return fileCount_; }
  QTreeWidget* tree() const { return tree_; }
  // The item of a file or folder by its full path; null when there is none.
  QTreeWidgetItem* Item(const QString& path) const;

 private:
  void Filter(const QString& text);
  void ShowCount();

  QTreeWidget* tree_;
  QLineEdit* filter_;
  QLabel* count_;
  int fileCount_ = 0;
};

}  // namespace bkvp::ui
