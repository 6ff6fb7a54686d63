#include "app/ui/wizard/place_chooser.h"

#include <QDir>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/ui/wizard/folder_tree_view.h"

namespace bkvp::ui {

PlaceChooser::PlaceChooser(VolumeList::Purpose purpose, const QString& driveText,
                           const QString& folderText, QWidget* parent)
    : QWidget(parent),
      driveMode_(new QRadioButton(driveText)),
      folderMode_(new QRadioButton(folderText)),
      stack_(new QStackedWidget),
      volumes_(new VolumeList(purpose)),
      tree_(new FolderTreeView) {
  driveMode_->setObjectName("driveMode");
  folderMode_->setObjectName("folderMode");
  volumes_->setObjectName("driveList");
  tree_->setObjectName("folderTree");
  driveMode_->setChecked(true);
  stack_->addWidget(volumes_);
  stack_->addWidget(tree_);
  // Until the user picks a folder, the tree opens at the home folder.
  tree_->Reveal(QDir::homePath());

  auto* modes = new QHBoxLayout;
  modes->addWidget(driveMode_);
  modes->addSpacing(16);
  modes->addWidget(folderMode_);
  modes->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(modes);
  layout->addWidget(stack_, 1);

  connect(driveMode_, &QRadioButton::toggled, this, [this] { ShowMode(); });
  connect(volumes_, &VolumeList::rootSelected, this, [this](const QString& root) {
    if (driveMode_->isChecked()) emit placeChanged(root);
  });
  connect(tree_, &FolderTreeView::folderSelected, this, [this](const QString& folder) {
    if (folderMode_->isChecked()) emit placeChanged(folder);
  });
}

void PlaceChooser::ShowMode() {
  stack_->setCurrentWidget(driveMode_->isChecked() ? static_cast<QWidget*>(volumes_) : tree_);
  emit placeChanged(ChosenPlace());
}

QString PlaceChooser::ChosenPlace() const {
  return driveMode_->isChecked() ? volumes_->SelectedRoot() : tree_->SelectedFolder();
}

bool PlaceChooser::SelectVolume(const QString& root) {
  driveMode_->setChecked(true);
  return volumes_->SelectRoot(root);
}

bool PlaceChooser::SelectFolder(const QString& path) {
  folderMode_->setChecked(true);
  return tree_->SelectFolder(path);
}

}  // namespace bkvp::ui
