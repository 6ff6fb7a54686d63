// Icons named by the desktop's icon theme (drives, folders, file types) need
// a theme, and without a desktop session Qt knows none: the program then
// uses Adwaita, which scripts/setup-deps installs.
#pragma once

namespace bkvp::ui {

// Call once the application object exists.
void UseIconThemeFallback();

}  // namespace bkvp::ui
