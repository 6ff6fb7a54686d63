// The tree of drives and folders on both files pages: the home folder and
// the mounted volumes that hold files (pseudo and memory file systems left
// out), each expanding into its folders when opened. Folders whose names
// begin with "." are not shown.
#pragma once

#include <QString>
#include <QTreeWidget>

namespace bkvp::files::pages {

class FolderTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderTree(QWidget* parent);

  // The folder a node stands for; empty for no node.
  static QString PathOf(const QTreeWidgetItem* item);
  // The folder of the current node; empty when none is selected.
  QString SelectedPath() const;
  // Opens the nodes down to `path` and makes its node current; false when
  // the path lies outside every root or a folder on the way is not shown.
  bool SelectPath(const QString& path);

 private:
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& path, const QString& text,
                           const QIcon& icon);
  void AddRoots();
  // Fills the node's children the first time it is opened.
  void FillChildren(QTreeWidgetItem* item);
};

}  // namespace bkvp::files::pages
