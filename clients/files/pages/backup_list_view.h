// The backup list's view: three columns ("Path", "Include Mask", "Exclude
// Mask"), rows selected whole, several at once. It takes files and folders
// dropped from the desktop (text/uri-list with local files) and reports them
// with the Delete key to the page.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace bkvp::files::pages {

// What the empty list shows in its place.
inline constexpr const char* kEmptyHint =
    "Nothing to back up yet.\nAdd a folder or a file with the buttons beside the list, the "
    "folder tree's menu, or by dropping it here.";

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
  void paintEvent(QPaintEvent* event) override;

 private:
  // Until the user sizes a column, the columns share the list's width beyond
  // their first widths equally.
  void FitColumns();
  bool fitting_ = false;
  bool userSized_ = false;
};

}  // namespace bkvp::files::pages
