// The close countdown: a program the client must close is running; it will
// be closed when the count reaches 0, or at once with OK. Cancel keeps it
// running (and stops the client).
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QLabel>

#include "clients/common/countdown_timer.h"
#include "platform/ui.h"

namespace bkvp::ui {

class CloseCountdownDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CloseCountdownDialog(const platform::ui::CountdownRequest& request,
                                QWidget* owner = nullptr);
  // IDOK (OK pressed or the count ran out) or IDCANCEL (Cancel or closed).
  int answer() const { return result() == Accepted ? platform::ui::IDOK : platform::ui::IDCANCEL; }
  int shownSeconds() const { return countdown_.Shown(); }

  static int Ask(const platform::ui::CountdownRequest& request);

 protected:
  void showEvent(QShowEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void done(int result) override;

 private:
  clients::CountdownTimer countdown_;
  QBasicTimer timer_;
  QLabel* number_;
};

}  // namespace bkvp::ui
