#include "app/ui/qt_ui_seams.h"

#include <QCoreApplication>

#include "app/ui/close_countdown_dialog.h"
#include "app/ui/styled_message_box.h"
#include "platform/ui.h"

namespace bkvp::ui {

QtUiSeams::QtUiSeams() {
  platform::ui::InstallHooks({
      [] { QCoreApplication::processEvents(); },
      &StyledMessageBox::Ask,
      &CloseCountdownDialog::Ask,
  });
}

QtUiSeams::~QtUiSeams() { platform::ui::ResetHooks(); }

}  // namespace bkvp::ui
