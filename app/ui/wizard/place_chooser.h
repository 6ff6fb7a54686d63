// A place chosen as the destination page and the source page let the user
// choose it: a mounted volume from the drive list, any folder from the
// folder tree, or a folder on another machine, "rclone:REMOTE:PATH", from a
// remote of the user's rclone configuration and a path; one of the three
// shown at a time.
#pragma once

#include <QWidget>

#include "app/ui/wizard/volume_list.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;

namespace bkvp::ui {

class FolderTreeView;

class PlaceChooser : public QWidget {
  Q_OBJECT

 public:
  PlaceChooser(VolumeList::Purpose purpose, const QString& driveText, const QString& folderText,
               QWidget* parent = nullptr);

  // The selected volume's mount point or the selected folder, as the mode
  // says; empty when nothing is selected there.
  QString ChosenPlace() const;
  bool SelectVolume(const QString& root);
  // Switches to the folder tree and selects the folder.
  bool SelectFolder(const QString& path);
  // Switches to the remote choice with the place's remote and path.
  bool SelectRemote(const QString& place);

  VolumeList* volumes() const { return volumes_; }
  FolderTreeView* tree() const { return tree_; }

 signals:
  // Another place was chosen (or none, as "").
  void placeChanged(const QString& place);

 private:
  void ShowMode();
  QWidget* MakeRemoteChoice();
  // The remotes are asked of rclone once, when they are first needed.
  void ListRemotes();

  QRadioButton* driveMode_;
  QRadioButton* folderMode_;
  QRadioButton* remoteMode_;
  QStackedWidget* stack_;
  VolumeList* volumes_;
  FolderTreeView* tree_;
  QWidget* remoteChoice_;
  QComboBox* remotes_;
  QLineEdit* remotePath_;
  QLabel* remoteNote_;
  bool remotesListed_ = false;
};

}  // namespace bkvp::ui
