// The "Description" column and the icon of a mask row: the file type that
// the desktop's MIME database gives for the mask's extension (the part after
// its first "."), "All files" for "*.*", else the extension in capitals and
// "File" ("Files" when the mask holds a wildcard). Icons come from the icon
// theme, a plain file icon when it has none, and are kept per extension.
#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

namespace bkvp::files::pages {

class MaskTypes {
 public:
  QString Description(const QString& mask) const;
  QIcon Icon(const QString& mask);

 private:
  // The MIME type's name for an extension without wildcards; empty when the
  // database knows none.
  QString TypeName(const QString& extension) const;

  QMimeDatabase database_;
  QHash<QString, QIcon> icons_;
};

}  // namespace bkvp::files::pages
