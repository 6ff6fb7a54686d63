// The field that shows an entry's path in the property dialogs: read-only,
// and scrollable, so that a long path neither widens the dialog nor is cut.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace bkvp::files::pages {

QLineEdit* PathLabel(const QString& path, QWidget* parent);

}  // namespace bkvp::files::pages
