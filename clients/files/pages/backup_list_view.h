// The backup list's view: three columns ("Path", "Include Mask", "Exclude
// Mask"), rows selected whole, several at once. It takes files and folders
// dropped from the desktop (text/uri-list with local files) and reports them
// with the Delete key to the page.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace bkvp::files::pages {

class BackupListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit BackupListView(QWidget* parent);

 signals:
  void pathsDropped(const QStringList& paths);
  void deletePressed();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Until the user sizes a column, the columns share the list's width beyond
  // their first widths equally.
  void FitColumns();
  bool fitting_ = false;
  bool userSized_ = false;
};

}  // namespace bkvp::files::pages
