#include "app/ui/wizard/folder_tree_view.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

namespace bkvp::ui {

FolderTreeView::FolderTreeView(QWidget* parent)
    : QTreeView(parent), model_(new QFileSystemModel(this)) {
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setReadOnly(true);
  model_->setRootPath("/");
  setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) hideColumn(column);
  setHeaderHidden(true);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { emit folderSelected(model_->filePath(current)); });
  // Folders are read in the background: a folder selected before its
  // neighbours arrived moves down as they do, so it is brought back into
  // view until the user moves the tree himself.
  const auto keepInView = [this] {
    QTimer::singleShot(0, this, [this] {
      if (keepSelectedInView_) scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    });
  };
  connect(model_, &QFileSystemModel::rowsInserted, this, keepInView);
  connect(model_, &QFileSystemModel::layoutChanged, this, keepInView);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this] { keepSelectedInView_ = false; });
}

QString FolderTreeView::SelectedFolder() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? model_->filePath(current) : QString();
}

bool FolderTreeView::SelectFolder(const QString& path) {
  const QModelIndex index = model_->index(QDir::cleanPath(path));
  if (!index.isValid()) return false;
  ExpandDownTo(index.parent());
  setCurrentIndex(index);
  scrollTo(index, QAbstractItemView::PositionAtCenter);
  keepSelectedInView_ = true;
  return true;
}

void FolderTreeView::Reveal(const QString& path) {
  ExpandDownTo(model_->index(QDir::cleanPath(path)));
}

void FolderTreeView::ExpandDownTo(QModelIndex index) {
  for (; index.isValid(); index = index.parent()) expand(index);
}

void FolderTreeView::mousePressEvent(QMouseEvent* event) {
  keepSelectedInView_ = false;
  QTreeView::mousePressEvent(event);
}

void FolderTreeView::wheelEvent(QWheelEvent* event) {
  keepSelectedInView_ = false;
  QTreeView::wheelEvent(event);
}

void FolderTreeView::keyPressEvent(QKeyEvent* event) {
  keepSelectedInView_ = false;
  QTreeView::keyPressEvent(event);
}

}  // namespace bkvp::ui
