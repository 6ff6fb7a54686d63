#include "app/ui/styled_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

#include "platform/ui.h"

namespace bkvp::ui {
namespace {

namespace seam = platform::ui;

struct ButtonChoice {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonChoice> ButtonSet(unsigned style) {
  using B = QMessageBox;
  switch (style & 0xF) {
    case seam::MB_OKCANCEL:
      return {{B::Ok, seam::IDOK}, {B::Cancel, seam::IDCANCEL}};
    case seam::MB_ABORTRETRYIGNORE:
      return {{B::Abort, seam::IDABORT}, {B::Retry, seam::IDRETRY}, {B::Ignore, seam::IDIGNORE}};
    case seam::MB_YESNOCANCEL:
      return {{B::Yes, seam::IDYES}, {B::No, seam::IDNO}, {B::Cancel, seam::IDCANCEL}};
    case seam::MB_YESNO:
      return {{B::Yes, seam::IDYES}, {B::No, seam::IDNO}};
    case seam::MB_RETRYCANCEL:
      return {{B::Retry, seam::IDRETRY}, {B::Cancel, seam::IDCANCEL}};
    default:  // OK, and sets this program never asks with
      return {{B::Ok, seam::IDOK}};
  }
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & 0xF0) {
    case seam::MB_ICONSTOP:
      return QMessageBox::Critical;
    case seam::MB_ICONQUESTION:
      return QMessageBox::Question;
    case seam::MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

StyledMessageBox::StyledMessageBox(const QString& text, const QString& caption, unsigned style,
                                   QWidget* owner)
    : QMessageBox(owner) {
  setWindowTitle(caption);
  setText(text);
  setIcon(IconOf(style));
  const std::vector<ButtonChoice> set = ButtonSet(style);
  for (const ButtonChoice& choice : set) AddButton(choice.button, choice.answer);
  const unsigned defaultIndex = (style >> 8) & 0xF;
  setDefaultButton(answers_[defaultIndex < answers_.size() ? defaultIndex : 0].first);
  // Closing the box counts as Cancel where there is one, as OK for a lone OK;
  // the other sets cannot be closed without a choice.
  for (const ButtonChoice& choice : set)
    if (choice.answer == seam::IDCANCEL || set.size() == 1) {
      setEscapeButton(button(choice.button));
      escapeAnswer_ = choice.answer;
    }
}

void StyledMessageBox::AddButton(QMessageBox::StandardButton standard, int answer) {
  answers_.emplace_back(addButton(standard), answer);
}

int StyledMessageBox::answer() const {
  for (const auto& [button, answer] : answers_)
    if (button == clickedButton()) return answer;
  return escapeAnswer_;
}

int StyledMessageBox::Ask(const std::string& text, const std::string& caption, unsigned style) {
  StyledMessageBox box(QString::fromStdString(text), QString::fromStdString(caption), style,
                       QApplication::activeWindow());
  box.exec();
  return box.answer();
}

}  // namespace bkvp::ui
