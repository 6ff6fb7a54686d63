// The log of the last run in the program's own window: read-only text with
// a search field, "Open in editor" for the desktop's editor, "Copy" and
// "Close". It shows whether or not the desktop has an editor to offer.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace bkvp::ui {

class LogViewer : public QDialog {
  Q_OBJECT
 public:
  explicit LogViewer(const QString& path, QWidget* parent = nullptr);
  // Reads the file again, keeping the place when it only grew.
  void Reload();
  QPlainTextEdit* text() const { return text_; }

 private:
  void FindNext();

  QString path_;
  QPlainTextEdit* text_;
  QLineEdit* search_;
  QLabel* notFound_;
};

}  // namespace bkvp::ui
