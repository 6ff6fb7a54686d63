#include "app/ui/icon_theme.h"

#include <QIcon>

namespace bkvp::ui {

void UseIconThemeFallback() {
  constexpr const char* kFallback = "Adwaita";
  const QString theme = QIcon::themeName();
  // "hicolor" is only the base every theme builds on: it has no drive icons.
  if (theme.isEmpty() || theme == "hicolor")
    QIcon::setThemeName(kFallback);
  else
    QIcon::setFallbackThemeName(kFallback);
}

}  // namespace bkvp::ui
