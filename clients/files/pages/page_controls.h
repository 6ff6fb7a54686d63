// Controls built alike on the files client's pages and dialogs.
#pragma once

#include <QDialogButtonBox>
#include <QIcon>
#include <QString>

class QDialog;
class QToolButton;
class QWidget;

namespace bkvp::files::pages {

// A button that shows only an icon; `name` is its tool tip and the name
// that screen readers say.
QToolButton* IconButton(QWidget* parent, const QIcon& icon, const QString& name, int iconSize);

// OK and Cancel, wired to the dialog's accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

}  // namespace bkvp::files::pages
