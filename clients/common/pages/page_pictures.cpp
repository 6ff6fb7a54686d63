#include "clients/common/pages/page_pictures.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

// The drawings live in a static library, whose resources the linker would
// drop unless something names them.
static void LoadPageResources() { Q_INIT_RESOURCE(page_pictures); }

namespace bkvp::pages {

QPixmap RenderPicture(const QString& resource, int size) {
  LoadPageResources();
  QSvgRenderer renderer(resource);
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  if (!renderer.isValid()) return pixmap;
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

QLabel* PictureLabel(const QString& resource, int size, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(resource);
  label->setPixmap(RenderPicture(resource, size));
  label->setFixedSize(size, size);
  return label;
}

}  // namespace bkvp::pages
