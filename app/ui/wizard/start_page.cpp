#include "app/ui/wizard/start_page.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWizard>

#include "app/ui/commands.h"
#include "app/ui/tray_artwork.h"

namespace bkvp::ui {
namespace {

QToolButton* PictureButton(const QString& text, const QIcon& picture) {
  auto* button = new QToolButton;
  button->setText(text);
  button->setToolTip(text);
  button->setIcon(picture);
  button->setIconSize(QSize(96, 96));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setMinimumSize(220, 160);
  QFont font = button->font();
  font.setPointSizeF(font.pointSizeF() * 1.15);
  button->setFont(font);
  return button;
}

}  // namespace

CStartPage::CStartPage(QWidget* parent) : QWizardPage(parent) {
  setObjectName("CStartPage");
  auto* backup = PictureButton("Click to make new backup", NewBackupPicture());
  backup->setObjectName("backup");
  auto* restore = PictureButton("Click to restore data", RestorePicture());
  restore->setObjectName("restore");
  connect(backup, &QToolButton::clicked, this, [this] { Choose(kPageBackupClients); });
  connect(restore, &QToolButton::clicked, this, [this] { Choose(kPageRestoreSource); });
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(backup);
  row->addSpacing(32);
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
