// Dialog 100, "About Backup Vopal": the program's name and version, what it
// is, where its log and settings live, and the licences of its parts.
#pragma once

#include <QDialog>

namespace bkvp::ui {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* owner = nullptr);
  // "Backup Vopal 2.1": the product version's two words.
  static QString NameAndVersion();
};

}  // namespace bkvp::ui
