#include "clients/files/pages/path_label.h"

#include <QLineEdit>

namespace bkvp::files::pages {

QLineEdit* PathLabel(const QString& path, QWidget* parent) {
  auto* field = new QLineEdit(path, parent);
  field->setReadOnly(true);
  field->setCursorPosition(0);
  field->setToolTip(path);
  return field;
}

}  // namespace bkvp::files::pages
