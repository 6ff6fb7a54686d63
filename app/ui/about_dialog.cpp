#include "app/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/tray_artwork.h"
#include "contract/own_version.h"

namespace bkvp::ui {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
  setObjectName("dialog100");
  setWindowTitle("About Backup Vopal");
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* name = new QLabel(NameAndVersion());
  name->setObjectName("nameAndVersion");
  QFont bigger = name->font();
  bigger.setPointSizeF(bigger.pointSizeF() * 1.2);
  bigger.setBold(true);
  name->setFont(bigger);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton("Close", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(8);
  row->addWidget(name, 1, Qt::AlignVCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(280);
}

QString AboutDialog::NameAndVersion() {
  const OwnVersionWords version = OwnVersion();
  return QString::asprintf("Backup Vopal %d.%d", int(version.productHigh), int(version.productLow));
}

}  // namespace bkvp::ui
