// A place on disk chosen as the destination page and the source page let
// the user choose it: a mounted volume from the drive list, or any folder
// from the folder tree, one of the two shown at a time.
#pragma once

#include <QWidget>

#include "app/ui/wizard/volume_list.h"

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

  VolumeList* volumes() const { return volumes_; }
  FolderTreeView* tree() const { return tree_; }

 signals:
  // Another place was chosen (or none, as "").
  void placeChanged(const QString& place);

 private:
  void ShowMode();

  QRadioButton* driveMode_;
  QRadioButton* folderMode_;
  QStackedWidget* stack_;
  VolumeList* volumes_;
  FolderTreeView* tree_;
};

}  // namespace bkvp::ui
