#include "app/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/engine/run_log.h"
#include "app/ui/tray_artwork.h"
#include "contract/own_version.h"
#include "platform/paths.h"

namespace bkvp::ui {
namespace {

QLabel* Paragraph(const QString& text, const char* name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName("dialog100");
  setWindowTitle("About Backup Vopal");
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  auto* name = new QLabel(NameAndVersion());
  name->setObjectName("nameAndVersion");
  QFont bigger = name->font();
  bigger.setPointSizeF(bigger.pointSizeF() * 1.4);
  bigger.setBold(true);
  name->setFont(bigger);

  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(Paragraph(
      "Backs up your files and folders, and the mail, address books and settings of your mail "
      "and browser programs, into one compressed archive per run: now, or on a schedule, to a "
      "drive, a folder or another machine. Restores them to their places or elsewhere.",
      "purpose"));
  text->addWidget(Paragraph(QString("Log of the last run: %1\nSettings: %2")
                                .arg(QString::fromStdString(engine::LogPath()),
                                     QString::fromStdString(platform::RegistryFolder())),
                            "places"));
  text->addWidget(Paragraph(
      QString("Built with Qt %1 (LGPL 3), SQLite (public domain), zlib (zlib licence) and "
              "libdeflate (MIT licence). "
              "Backups to other machines are sent by rclone (MIT licence) where it is "
              "installed.")
          .arg(QT_VERSION_STR),
      "licences"));

  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addSpacing(12);
  row->addLayout(text, 1);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton("Close", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  // Wide enough for its title in any window frame, and for the paths.
  setMinimumWidth(std::max(460, fontMetrics().horizontalAdvance(windowTitle()) * 3));
  setSizeGripEnabled(false);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDialog::NameAndVersion() {
  const OwnVersionWords version = OwnVersion();
  return QString::asprintf("Backup Vopal %d.%d", int(version.productHigh), int(version.productLow));
}

}  // namespace bkvp::ui
