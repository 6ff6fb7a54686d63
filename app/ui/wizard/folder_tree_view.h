// The folder tree of the destination and source pages: the file system from
// its root, folders only, hidden folders left out, each folder read when it
// is first opened.
#pragma once

#include <QTreeView>

class QFileSystemModel;

namespace bkvp::ui {

class FolderTreeView : public QTreeView {
  Q_OBJECT

 public:
  explicit FolderTreeView(QWidget* parent = nullptr);

  // The current folder; empty when none is selected.
  QString SelectedFolder() const;
  // Opens the tree down to the folder and makes it current; false when the
  // tree does not show it.
  bool SelectFolder(const QString& path);
  // Opens the tree down to the folder and the folder itself, without
  // selecting anything.
  void Reveal(const QString& path);

 signals:
  void folderSelected(const QString& path);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ExpandDownTo(QModelIndex index);

  QFileSystemModel* model_;
  bool keepSelectedInView_ = false;  // until the user moves the tree
};

}  // namespace bkvp::ui
