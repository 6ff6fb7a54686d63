#include "clients/files/pages/page_controls.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QToolButton>

namespace bkvp::files::pages {

QToolButton* IconButton(QWidget* parent, const QIcon& icon, const QString& name, int iconSize) {
  auto* button = new QToolButton(parent);
  button->setIcon(icon);
  button->setIconSize(QSize(iconSize, iconSize));
  button->setToolTip(name);
  button->setAccessibleName(name);
  return button;
}

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace bkvp::files::pages
