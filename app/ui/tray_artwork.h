// The program's icons: 128 (the program, the tray's normal image), 188
// (the tray's blink image) and the start page's two pictures, drawn from SVG
// at every size a tray or a button asks for.
// Each call renders anew: keep the icon rather than asking on every blink.
#pragma once

#include <QIcon>

namespace bkvp::ui {

QIcon ProgramIcon();
QIcon AttentionIcon();
QIcon NewBackupPicture();
QIcon RestorePicture();

}  // namespace bkvp::ui
