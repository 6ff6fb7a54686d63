// Dialog 189: a client could not save or restore an object and asks what to
// do. The answer is the pressed button's identifier: Retry 4, Ignore 5,
// Cancel 2, Abort 3.
#pragma once

#include <QDialog>
#include <QLabel>
#include <string>

namespace bkvp::ui {

class ClientErrorDialog : public QDialog {
  Q_OBJECT
 public:
  // defaultButton is the client's: 0 Retry, 1 Ignore, 2 Cancel, 3 Abort.
  ClientErrorDialog(const QString& message, int defaultButton, QWidget* owner = nullptr);
  // The pressed button's answer; Cancel when the dialog was closed.
  int answer() const { return answer_; }

  static int Ask(const std::string& message, int defaultButton);

 private:
  int answer_;
};

}  // namespace bkvp::ui
