#include "clients/files/pages/backup_list_view.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace bkvp::files::pages {

namespace {

// The local paths of a drop; other URLs (web addresses, say) are passed over.
QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
  return paths;
}

// Offered drops that hold local paths are taken; others are refused.
void AcceptLocalPaths(QDropEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty())
    event->ignore();
  else
    event->acceptProposedAction();
}

constexpr int kFirstWidths[] = {150, 85, 85};

}  // namespace

BackupListView::BackupListView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderLabels({"Path", "Include Mask", "Exclude Mask"});
  header()->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column) header()->resizeSection(column, kFirstWidths[column]);
  connect(header(), &QHeaderView::sectionResized, this, [this] {
    if (!fitting_) userSized_ = true;
  });
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // Paths that share their beginning differ at the end: both must show.
  setTextElideMode(Qt::ElideMiddle);
}

void BackupListView::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
  if (topLevelItemCount() > 0) return;
  // An empty list says how it is filled.
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12),
                   Qt::AlignCenter | Qt::TextWordWrap, kEmptyHint);
}

void BackupListView::dragEnterEvent(QDragEnterEvent* event) { AcceptLocalPaths(event); }

void BackupListView::dragMoveEvent(QDragMoveEvent* event) { AcceptLocalPaths(event); }

void BackupListView::dropEvent(QDropEvent* event) {
  AcceptLocalPaths(event);
  if (event->isAccepted()) emit pathsDropped(LocalPaths(event->mimeData()));
}

void BackupListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    emit deletePressed();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void BackupListView::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  if (!userSized_) FitColumns();
}

void BackupListView::FitColumns() {
  const int total = kFirstWidths[0] + kFirstWidths[1] + kFirstWidths[2];
  const int width = viewport()->width();
  if (width <= total) return;
  fitting_ = true;
  for (int column = 0; column < 3; ++column)
    header()->resizeSection(column, kFirstWidths[column] + (width - total) / 3);
  fitting_ = false;
}

}  // namespace bkvp::files::pages
