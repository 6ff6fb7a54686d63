#include "app/ui/screenshot_hook.h"

#include <QDialog>
#include <QTimer>

#include "app/engine/run_log.h"
#include "app/ui/about_dialog.h"
#include "app/ui/client_error_dialog.h"
#include "app/ui/close_countdown_dialog.h"
#include "app/ui/hidden_window.h"
#include "app/ui/log_viewer.h"
#include "clients/common/close_countdown.h"

namespace bkvp::ui {

void ShowDialogForScreenshot(HiddenWindow& window) {
  const QString which = qEnvironmentVariable("BKVP_SCREENSHOT_SHOW");
  if (which == "tick") {
    QTimer::singleShot(0, &window, [&window] { window.OnSchedulerTimer(); });
    return;
  }
  QDialog* dialog = nullptr;
  if (which == "countdown")
    dialog = new CloseCountdownDialog(clients::MakeCountdownRequest("Outlook"));
  else if (which == "client-error")
    dialog =
        new ClientErrorDialog("Cannot read /home/ada/Documents/report.odt: Permission denied.", 0);
  else if (which == "about")
    dialog = new AboutDialog;
  else if (which == "log")
    dialog = new LogViewer(QString::fromStdString(engine::LogPath()));
  if (!dialog) return;
  QObject::connect(&window, &QObject::destroyed, dialog, &QObject::deleteLater);
  dialog->show();
}

}  // namespace bkvp::ui
