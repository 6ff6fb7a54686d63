#include "app/ui/client_error_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/engine/program_texts.h"
#include "platform/ui.h"

namespace bkvp::ui {

ClientErrorDialog::ClientErrorDialog(const QString& message, int defaultButton, QWidget* owner)
    : QDialog(owner), answer_(platform::ui::IDCANCEL) {
  setObjectName("dialog189");
  setWindowTitle(engine::kProgramCaption);
  auto* icon = new QLabel;
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(message);
  text->setObjectName("message");
  text->setWordWrap(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setMinimumWidth(320);

  auto* buttons = new QDialogButtonBox;
  const struct {
    const char* label;
    int answer;
  } kButtons[] = {{"&Retry", platform::ui::IDRETRY},
                  {"&Ignore", platform::ui::IDIGNORE},
                  {"&Cancel", platform::ui::IDCANCEL},
                  {"&Abort", platform::ui::IDABORT}};
  for (int i = 0; i < 4; ++i) {
    auto* button = buttons->addButton(kButtons[i].label, QDialogButtonBox::ActionRole);
    button->setObjectName(QString(kButtons[i].label).remove('&').toLower());
    const int answer = kButtons[i].answer;
    connect(button, &QPushButton::clicked, this, [this, answer] {
      answer_ = answer;
      accept();
    });
    if (i == defaultButton) {
      button->setDefault(true);
      button->setFocus();
    }
  }

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

int ClientErrorDialog::Ask(const std::string& message, int defaultButton) {
  ClientErrorDialog dialog(QString::fromStdString(message), defaultButton,
                           QApplication::activeWindow());
  dialog.exec();
  return dialog.answer();
}

}  // namespace bkvp::ui
