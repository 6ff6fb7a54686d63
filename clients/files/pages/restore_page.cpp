#include "clients/files/pages/restore_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include "clients/files/backup_list_store.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/page_icons.h"
#include "platform/ui.h"

namespace bkvp::files::pages {

namespace {

QLabel* Picture(const QIcon& icon, QWidget* parent) {
  auto* picture = new QLabel(parent);
  picture->setPixmap(icon.pixmap(32, 32));
  return picture;
}

}  // namespace

RestorePage::RestorePage(QWidget* parent)
    : PageContent(parent),
      original_(new QRadioButton("Original location", this)),
      chosenFolder_(new QRadioButton("Disk drive or folder", this)),
      tree_(new FolderTree(this)),
      keepFolders_(new QCheckBox("Keep the original folders below the chosen folder", this)),
      overwrite_(new QCheckBox("Overwrite existing files", this)) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Picture(OriginalLocationIcon(), this), 0, 0);
  layout->addWidget(original_, 0, 1);
  layout->addWidget(Picture(ChosenFolderIcon(), this), 1, 0);
  layout->addWidget(chosenFolder_, 1, 1);
  // Above the tree, so that it stays where it is when the tree appears.
  layout->addWidget(overwrite_, 2, 1);
  layout->addWidget(tree_, 3, 1);
  // Unchecked, the files land side by side, numbered where names repeat.
  layout->addWidget(keepFolders_, 4, 1);
  layout->setColumnStretch(1, 1);
  keepFolders_->setChecked(true);

  // The tree takes the free space while it shows; otherwise the space stays
  // below the choices.
  auto showTree = [this, layout](bool on) {
    tree_->setVisible(on);
    keepFolders_->setVisible(on);
    layout->setRowStretch(3, on ? 1 : 0);
    layout->setRowStretch(5, on ? 0 : 1);
  };
  original_->setChecked(true);
  showTree(false);
  connect(chosenFolder_, &QRadioButton::toggled, this, showTree);
}

bool RestorePage::StoreSettings() {
  RestoreChoices choices;
  if (chosenFolder_->isChecked()) {
    choices.destination = tree_->SelectedPath().toStdString();
    choices.keepFolders = keepFolders_->isChecked();
  }
  choices.overwrite = overwrite_->isChecked();
  return WriteRestoreChoices(choices) == platform::ERROR_SUCCESS;
}

bool RestorePage::IsValid() {
  if (original_->isChecked() || !tree_->SelectedPath().isEmpty()) return true;
  platform::ui::MessageBox("Select the disk drive or folder to restore the files into.",
                           "Files and folders",
                           platform::ui::MB_OK | platform::ui::MB_ICONEXCLAMATION);
  return false;
}

}  // namespace bkvp::files::pages
