// The message box of the platform seam: a text, a caption and a style whose
// bits choose the buttons, the icon and the default button.
#pragma once

#include <QMessageBox>
#include <QPushButton>
#include <string>
#include <utility>
#include <vector>

namespace bkvp::ui {

class StyledMessageBox : public QMessageBox {
  Q_OBJECT
 public:
  StyledMessageBox(const QString& text, const QString& caption, unsigned style,
                   QWidget* owner = nullptr);
  // The answer code of the pressed button (IDOK, IDCANCEL, ...).
  int answer() const;

  // Shown modally over the active window; returns the answer code.
  static int Ask(const std::string& text, const std::string& caption, unsigned style);

 private:
  void AddButton(QMessageBox::StandardButton button, int answer);
  std::vector<std::pair<QPushButton*, int>> answers_;
  int escapeAnswer_ = 0;
};

}  // namespace bkvp::ui
