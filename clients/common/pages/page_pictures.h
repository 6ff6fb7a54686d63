// The pictures of the mail and browser clients' pages. They are SVG drawings
// of this project's own, rendered here rather than left to an icon engine
// plugin, so that they never depend on which plugins a desktop installs.
#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace bkvp::pages {

// Resource names of the drawings.
inline const QString kWarningPicture = ":/pages/warning.svg";
inline const QString kNotInstalledPicture = ":/pages/not-installed.svg";
inline const QString kSavedItemPicture = ":/pages/saved-item.svg";
inline const QString kMailStorePicture = ":/pages/mail-store.svg";
inline const QString kMessagesPicture = ":/pages/messages.svg";
inline const QString kAddressBookPicture = ":/pages/address-book.svg";
inline const QString kSettingsPicture = ":/pages/settings.svg";
inline const QString kMailCalendarPicture = ":/pages/mail-calendar.svg";
inline const QString kMailCalendarOlderPicture = ":/pages/mail-calendar-older.svg";

// The drawing at size x size pixels; an empty picture when the name is unknown.
QPixmap RenderPicture(const QString& resource, int size);
// A label that shows the drawing; its object name is the resource name, so
// that a test can tell which picture a page shows.
QLabel* PictureLabel(const QString& resource, int size, QWidget* parent);

}  // namespace bkvp::pages
