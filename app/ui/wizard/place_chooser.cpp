#include "app/ui/wizard/place_chooser.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/engine/remote_place.h"
#include "app/ui/wizard/folder_tree_view.h"

namespace bkvp::ui {

PlaceChooser::PlaceChooser(VolumeList::Purpose purpose, const QString& driveText,
                           const QString& folderText, QWidget* parent)
    : QWidget(parent),
      driveMode_(new QRadioButton(driveText)),
      folderMode_(new QRadioButton(folderText)),
      remoteMode_(new QRadioButton("&Remote (rclone)")),
      stack_(new QStackedWidget),
      volumes_(new VolumeList(purpose)),
      tree_(new FolderTreeView),
      remoteChoice_(MakeRemoteChoice()) {
  driveMode_->setObjectName("driveMode");
  folderMode_->setObjectName("folderMode");
  remoteMode_->setObjectName("remoteMode");
  volumes_->setObjectName("driveList");
  tree_->setObjectName("folderTree");
  driveMode_->setChecked(true);
  stack_->addWidget(volumes_);
  stack_->addWidget(tree_);
  stack_->addWidget(remoteChoice_);
  // Until the user picks a folder, the tree opens at the home folder.
  tree_->Reveal(QDir::homePath());

  auto* modes = new QHBoxLayout;
  modes->addWidget(driveMode_);
  modes->addSpacing(16);
  modes->addWidget(folderMode_);
  modes->addSpacing(16);
  modes->addWidget(remoteMode_);
  modes->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(modes);
  layout->addWidget(stack_, 1);

  connect(driveMode_, &QRadioButton::toggled, this, [this] { ShowMode(); });
  connect(remoteMode_, &QRadioButton::toggled, this, [this] { ShowMode(); });
  connect(volumes_, &VolumeList::rootSelected, this, [this](const QString& root) {
    if (driveMode_->isChecked()) emit placeChanged(root);
  });
  connect(tree_, &FolderTreeView::folderSelected, this, [this](const QString& folder) {
    if (folderMode_->isChecked()) emit placeChanged(folder);
  });
}

QWidget* PlaceChooser::MakeRemoteChoice() {
  auto* choice = new QWidget;
  choice->setObjectName("remoteChoice");
  remotes_ = new QComboBox;
  remotes_->setObjectName("remotes");
  remotePath_ = new QLineEdit;
  remotePath_->setObjectName("remotePath");
  remotePath_->setPlaceholderText("backups/laptop");
  remoteNote_ = new QLabel(
      "A remote is a place on another machine set up with \"rclone config\": a server over "
      "SFTP or WebDAV, a cloud drive, an encrypting remote. The archive is sent there after it "
      "is written.");
  remoteNote_->setObjectName("remoteNote");
  remoteNote_->setWordWrap(true);
  auto* form = new QFormLayout(choice);
  form->addRow("Remote:", remotes_);
  form->addRow("Folder there:", remotePath_);
  form->addRow(remoteNote_);
  const auto changed = [this] {
    if (remoteMode_->isChecked()) emit placeChanged(ChosenPlace());
  };
  connect(remotes_, &QComboBox::currentTextChanged, this, changed);
  connect(remotePath_, &QLineEdit::editingFinished, this, changed);
  return choice;
}

void PlaceChooser::ListRemotes() {
  if (remotesListed_) return;
  remotesListed_ = true;
  std::string problem;
  const std::vector<std::string> names = engine::ListRemotes(&problem);
  const QSignalBlocker quiet(remotes_);
  for (const std::string& name : names) remotes_->addItem(QString::fromStdString(name));
  if (!problem.empty())
    remoteNote_->setText("The remotes cannot be listed: " + QString::fromStdString(problem) + ".");
  else if (names.empty())
    remoteNote_->setText("rclone has no remote yet: set one up with \"rclone config\".");
}

void PlaceChooser::ShowMode() {
  if (remoteMode_->isChecked()) ListRemotes();
  stack_->setCurrentWidget(driveMode_->isChecked()    ? static_cast<QWidget*>(volumes_)
                           : folderMode_->isChecked() ? static_cast<QWidget*>(tree_)
                                                      : remoteChoice_);
  emit placeChanged(ChosenPlace());
}

QString PlaceChooser::ChosenPlace() const {
  if (driveMode_->isChecked()) return volumes_->SelectedRoot();
  if (folderMode_->isChecked()) return tree_->SelectedFolder();
  if (remotes_->currentText().isEmpty()) return {};
  engine::RemotePlace place{remotes_->currentText().toStdString(),
                            remotePath_->text().trimmed().toStdString()};
  return QString::fromStdString(place.Text());
}

bool PlaceChooser::SelectRemote(const QString& text) {
  const auto place = engine::ParseRemotePlace(text.toStdString());
  if (!place) return false;
  {
    const QSignalBlocker quiet(remoteMode_);
    remoteMode_->setChecked(true);
  }
  ListRemotes();
  {
    const QSignalBlocker quietRemotes(remotes_);
    const QString remote = QString::fromStdString(place->remote);
    if (remotes_->findText(remote) < 0) remotes_->addItem(remote);
    remotes_->setCurrentText(remote);
    remotePath_->setText(QString::fromStdString(place->path));
  }
  ShowMode();
  return true;
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
