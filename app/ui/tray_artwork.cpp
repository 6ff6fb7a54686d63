#include "app/ui/tray_artwork.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The icons live in a static library, whose resources the linker would drop
// unless something names them.
static void LoadIconResources() { Q_INIT_RESOURCE(backupvopal); }

namespace bkvp::ui {
namespace {

// Rendered here rather than left to an icon engine plugin, so that the
// images never depend on which plugins a desktop happens to install.
QIcon RenderIcon(const QString& resource) {
  LoadIconResources();
  QSvgRenderer renderer(resource);
  QIcon icon;
  for (int size : {16, 20, 22, 24, 32, 48, 64, 96, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon ProgramIcon() { return RenderIcon(":/icons/backupvopal.svg"); }

QIcon AttentionIcon() { return RenderIcon(":/icons/backupvopal-attention.svg"); }

QIcon NewBackupPicture() { return RenderIcon(":/icons/start-backup.svg"); }

QIcon RestorePicture() { return RenderIcon(":/icons/start-restore.svg"); }

}  // namespace bkvp::ui
