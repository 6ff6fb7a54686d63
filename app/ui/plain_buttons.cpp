#include "app/ui/plain_buttons.h"

#include <QApplication>
#include <QProxyStyle>

namespace bkvp::ui {
namespace {

class PlainButtonsStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

void UsePlainButtons() { QApplication::setStyle(new PlainButtonsStyle); }

}  // namespace bkvp::ui
