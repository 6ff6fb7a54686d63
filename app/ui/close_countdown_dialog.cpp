#include "app/ui/close_countdown_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace bkvp::ui {

CloseCountdownDialog::CloseCountdownDialog(const platform::ui::CountdownRequest& request,
                                           QWidget* owner)
    : QDialog(owner),
      countdown_(request.seconds, request.tickMilliseconds),
      number_(new QLabel(QString::number(request.seconds))) {
  setObjectName("closeCountdown");
  setWindowTitle(QString::fromStdString(request.caption));
  number_->setObjectName("seconds");
  // Wide enough for "60" so that the line does not jump as the count falls.
  number_->setMinimumWidth(number_->fontMetrics().horizontalAdvance("000"));
  number_->setAlignment(Qt::AlignCenter);
  QFont bold = number_->font();
  bold.setBold(true);
  number_->setFont(bold);

  auto* closing = new QHBoxLayout;
  closing->addWidget(new QLabel(QString::fromStdString(request.closingText)));
  closing->addWidget(number_);
  closing->addWidget(new QLabel("seconds."));
  closing->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString(request.runningText)));
  layout->addLayout(closing);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CloseCountdownDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!timer_.isActive()) timer_.start(countdown_.TickMilliseconds(), this);
}

void CloseCountdownDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() != timer_.timerId()) return QDialog::timerEvent(event);
  const bool expired = countdown_.Tick();
  number_->setText(QString::number(countdown_.Shown()));
  if (expired) accept();
}

void CloseCountdownDialog::done(int result) {
  timer_.stop();
  QDialog::done(result);
}

int CloseCountdownDialog::Ask(const platform::ui::CountdownRequest& request) {
  CloseCountdownDialog dialog(request, QApplication::activeWindow());
  dialog.exec();
  return dialog.answer();
}

}  // namespace bkvp::ui
