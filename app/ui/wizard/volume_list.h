// The drive list of the destination and source pages: the mounted volumes
// the wizard offers, with their name, mount point and free space.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace bkvp::ui {

class VolumeList : public QTreeWidget {
  Q_OBJECT

 public:
  enum class Purpose { kBackupDestination, kRestoreSource };
  VolumeList(Purpose purpose, QWidget* parent = nullptr);

  // The mount point of the selected volume; empty when none is selected.
  QString SelectedRoot() const;
  bool SelectRoot(const QString& root);
  QStringList Roots() const;

 signals:
  void rootSelected(const QString& root);
};

}  // namespace bkvp::ui
