#include "app/ui/wizard/bk_dest_page.h"

#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include "app/engine/offered_volumes.h"
#include "app/engine/run_backup.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/place_chooser.h"
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
  std::vector<std::string> roots;
  for (const QString& root : chooser_->volumes()->Roots()) roots.push_back(root.toStdString());
  const engine::Preselection preselection =
      engine::PreselectDestination(CBkRsPropSheet::Of(wizard())->settings().storePath, roots);
  const QString path = QString::fromStdString(preselection.path);
  if (preselection.kind == engine::Preselection::Kind::kVolume) chooser_->SelectVolume(path);
  if (preselection.kind == engine::Preselection::Kind::kFolder) chooser_->SelectFolder(path);
}

void CBkDestPage::ShowFreeSpace(const QString& place) {
  const auto free = place.isEmpty() ? std::nullopt : platform::FreeSpace(place.toStdString());
  freeSpace_->setText(free ? "Free space: " + QLocale().formattedDataSize(qint64(*free)) : "");
}

bool CBkDestPage::validatePage() {
  const QString place = chooser_->ChosenPlace();
  if (place.isEmpty()) {
    ShowPageWarning(kNoDestinationText);
    return false;
  }
  CBkRsPropSheet::Of(wizard())->backupChoices().destination =
      engine::WithTrailingSlash(place.toStdString());
  return true;
}

}  // namespace bkvp::ui
