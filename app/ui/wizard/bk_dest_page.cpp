#include "app/ui/wizard/bk_dest_page.h"

#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include "app/engine/last_good_backup.h"
#include "app/engine/offered_volumes.h"
#include "app/engine/remote_place.h"
#include "app/engine/run_backup.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/place_chooser.h"
#include "platform/byte_size.h"
#include "platform/files.h"

namespace bkvp::ui {

CBkDestPage::CBkDestPage(QWidget* parent)
    : QWizardPage(parent),
      chooser_(new PlaceChooser(VolumeList::Purpose::kBackupDestination, "&Disk drive", "&Folder")),
      freeSpace_(new QLabel) {
  setObjectName("CBkDestPage");
  setTitle("Select destination for backup");
  freeSpace_->setObjectName("freeSpace");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chooser_, 1);
  layout->addWidget(freeSpace_);
  connect(chooser_, &PlaceChooser::placeChanged, this, &CBkDestPage::ShowFreeSpace);
  ShowFreeSpace({});
}

int CBkDestPage::nextId() const { return kPageBackupSchedule; }

// The destination of the last wizard comes up selected.
void CBkDestPage::initializePage() {
  if (preselected_) return;
  preselected_ = true;
  const std::string& stored = CBkRsPropSheet::Of(wizard())->settings().storePath;
  if (engine::IsRemotePlace(stored)) {
    chooser_->SelectRemote(QString::fromStdString(stored));
    return;
  }
  std::vector<std::string> roots;
  for (const QString& root : chooser_->volumes()->Roots()) roots.push_back(root.toStdString());
  const engine::Preselection preselection = engine::PreselectDestination(stored, roots);
  const QString path = QString::fromStdString(preselection.path);
  if (preselection.kind == engine::Preselection::Kind::kVolume) chooser_->SelectVolume(path);
  if (preselection.kind == engine::Preselection::Kind::kFolder) chooser_->SelectFolder(path);
}

// A destination with clearly less room than the last archive took is
// named before the run, not found out by a full disk half way.
void CBkDestPage::ShowFreeSpace(const QString& place) {
  const bool local = !place.isEmpty() && !engine::IsRemotePlace(place.toStdString());
  const auto free = local ? platform::FreeSpace(place.toStdString()) : std::nullopt;
  QString text = free ? "Free space: " + QLocale().formattedDataSize(qint64(*free)) : "";
  const auto lastSize = free ? engine::LastArchiveSizeAbove(*free) : std::nullopt;
  if (lastSize)
    text += QString::fromStdString(" \u2014 less than the last backup's archive took (" +
                                   platform::ByteSize(*lastSize) + "): this backup may not fit.");
  freeSpace_->setText(text);
  freeSpace_->setStyleSheet(lastSize ? "color: #a51d2d;" : "");
}

bool CBkDestPage::validatePage() {
  const QString place = chooser_->ChosenPlace();
  if (place.isEmpty()) {
    ShowPageWarning(kNoDestinationText);
    return false;
  }
  CBkRsPropSheet::Of(wizard())->backupChoices().destination =
      engine::ResolveDestination(place.toStdString());
  return true;
}

}  // namespace bkvp::ui
