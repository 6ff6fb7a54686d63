#include "clients/files/pages/mask_types.h"

#include <QFileIconProvider>

namespace bkvp::files::pages {

namespace {

QString ExtensionOf(const QString& mask) {
  const int dot = mask.indexOf('.');
  return dot < 0 ? QString() : mask.mid(dot + 1);
}

bool HasWildcards(const QString& text) { return text.contains('*') || text.contains('?'); }

}  // namespace

QString MaskTypes::TypeName(const QString& extension) const {
  if (extension.isEmpty() || HasWildcards(extension)) return {};
  const QList<QMimeType> types = database_.mimeTypesForFileName("file." + extension);
  return types.isEmpty() ? QString() : types.first().name();
}

QString MaskTypes::Description(const QString& mask) const {
  if (mask == "*.*") return QStringLiteral("All files");
  const QString extension = ExtensionOf(mask);
  if (const QString type = TypeName(extension); !type.isEmpty()) {
    const QString comment = database_.mimeTypeForName(type).comment();
    if (!comment.isEmpty()) return comment;
  }
  return extension.toUpper() + " File" + (HasWildcards(mask) ? "s" : "");
}

QIcon MaskTypes::Icon(const QString& mask) {
  const QString extension = ExtensionOf(mask).toLower();
  if (auto it = icons_.constFind(extension); it != icons_.constEnd()) return *it;
  QIcon icon;
  if (const QString type = TypeName(extension); !type.isEmpty()) {
    const QMimeType mime = database_.mimeTypeForName(type);
    icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
  }
  if (icon.isNull()) icon = QFileIconProvider().icon(QFileIconProvider::File);
  icons_.insert(extension, icon);
  return icon;
}

}  // namespace bkvp::files::pages
