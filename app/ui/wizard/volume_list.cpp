#include "app/ui/wizard/volume_list.h"

#include <QHeaderView>
#include <QIcon>
#include <QLocale>
#include <QStorageInfo>
#include <QStyle>

#include "app/engine/offered_volumes.h"

namespace bkvp::ui {
namespace {

constexpr int kRootRole = Qt::UserRole;

bool IsDisc(const QStorageInfo& volume) {
  const QByteArray type = volume.fileSystemType();
  return type == "iso9660" || type == "udf" || volume.device().startsWith("/dev/sr");
}

QIcon VolumeIcon(const QStorageInfo& volume, const QStyle* style) {
  const QString root = volume.rootPath();
  if (IsDisc(volume))
    return QIcon::fromTheme("media-optical", style->standardIcon(QStyle::SP_DriveCDIcon));
  if (root.startsWith("/media/") || root.startsWith("/run/media/") || root.startsWith("/mnt/"))
    return QIcon::fromTheme("drive-removable-media", style->standardIcon(QStyle::SP_DriveFDIcon));
  return QIcon::fromTheme("drive-harddisk", style->standardIcon(QStyle::SP_DriveHDIcon));
}

QString VolumeName(const QStorageInfo& volume) {
  if (volume.isRoot()) return "System";
  const QString name = volume.name();
  return name.isEmpty() ? QString(volume.rootPath()).section('/', -1) : name;
}

bool Offered(const QStorageInfo& volume, VolumeList::Purpose purpose) {
  engine::VolumeFacts facts;
  facts.rootPath = volume.rootPath().toStdString();
  facts.fileSystemType = volume.fileSystemType().toStdString();
  facts.ready = volume.isValid() && volume.isReady();
  facts.readOnly = volume.isReadOnly();
  return purpose == VolumeList::Purpose::kBackupDestination
             ? engine::OfferAsBackupDestination(facts)
             : engine::OfferAsRestoreSource(facts);
}

}  // namespace

VolumeList::VolumeList(Purpose purpose, QWidget* parent) : QTreeWidget(parent) {
  setHeaderLabels({"Name", "Mounted at", "Free space"});
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header()->setSectionResizeMode(1, QHeaderView::Stretch);
  header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
  std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
    return a.rootPath() < b.rootPath();
  });
  QStringList seen;
  for (const QStorageInfo& volume : volumes) {
    if (seen.contains(volume.rootPath()) || !Offered(volume, purpose)) continue;
    seen << volume.rootPath();
    auto* item = new QTreeWidgetItem(this);
    item->setIcon(0, VolumeIcon(volume, style()));
    item->setText(0, VolumeName(volume));
    item->setText(1, volume.rootPath());
    item->setText(2, QLocale().formattedDataSize(volume.bytesAvailable()));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kRootRole, volume.rootPath());
  }
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    emit rootSelected(current ? current->data(0, kRootRole).toString() : QString());
  });
}

QString VolumeList::SelectedRoot() const {
  const QTreeWidgetItem* current = currentItem();
  return current ? current->data(0, kRootRole).toString() : QString();
}

bool VolumeList::SelectRoot(const QString& root) {
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (topLevelItem(i)->data(0, kRootRole).toString() == root) {
      setCurrentItem(topLevelItem(i));
      return true;
    }
  return false;
}

QStringList VolumeList::Roots() const {
  QStringList roots;
  for (int i = 0; i < topLevelItemCount(); ++i)
    roots << topLevelItem(i)->data(0, kRootRole).toString();
  return roots;
}

}  // namespace bkvp::ui
