// Push buttons without pictures, the same in every dialog: the icon theme
// the program falls back on gives OK, Yes, No and Cancel pictures that read
// as something else (a green arrow, a grey ball, two alike red dots), and
// the wizard's buttons have none.
#pragma once

namespace bkvp::ui {

// Call once the application object exists.
void UsePlainButtons();

}  // namespace bkvp::ui
