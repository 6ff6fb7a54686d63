#include "app/ui/wizard/start_page.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWizard>

#include "app/ui/commands.h"

namespace bkvp::ui {
namespace {

QToolButton* ChoiceButton(const QString& text, QStyle::StandardPixmap image) {
  auto* button = new QToolButton;
  button->setText(text);
  button->setToolTip(text);
  button->setIcon(QApplication::style()->standardIcon(image));
  button->setIconSize(QSize(48, 48));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setMinimumSize(180, 110);
  return button;
}

}  // namespace

CStartPage::CStartPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CStartPage");
  auto* backup = ChoiceButton("Click to make new backup", QStyle::SP_DialogSaveButton);
  backup->setObjectName("backup");
  auto* restore = ChoiceButton("Click to restore data", QStyle::SP_DialogOpenButton);
  restore->setObjectName("restore");
  connect(backup, &QToolButton::clicked, this, [this] { Choose(kPageBackupClients); });
  connect(restore, &QToolButton::clicked, this, [this] { Choose(kPageRestoreSource); });
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(backup);
  row->addSpacing(24);
  row->addWidget(restore);
  row->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  layout->addLayout(row);
  layout->addStretch(1);
}

int CStartPage::nextId() const { return chosen_ < 0 ? kPageBackupClients : chosen_; }

bool CStartPage::isComplete() const { return chosen_ >= 0; }

void CStartPage::Choose(int page) {
  chosen_ = page;
  emit completeChanged();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  wizard()->next();
  QApplication::restoreOverrideCursor();
}

}  // namespace bkvp::ui
