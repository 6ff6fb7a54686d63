// The program's icons: 128 (the program, the tray's normal image) and 188
// (the tray's blink image), drawn from SVG at every size a tray asks for.
// Each call renders anew: keep the icon rather than asking on every blink.
#pragma once

#include <QIcon>

namespace bkvp::ui {

QIcon ProgramIcon();
QIcon AttentionIcon();

}  // namespace bkvp::ui
