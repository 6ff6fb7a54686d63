// BackupVopal: the program in the notification area. Start-up: the command
// line, the program's own registration, the single-instance rule, then the
// hidden window with the tray icon and the scheduler, and the wizard unless
// started quietly.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/engine/module_registration.h"
#include "app/engine/program_command_line.h"
#include "app/engine/program_settings.h"
#include "app/engine/program_texts.h"
#include "app/ui/commands.h"
#include "app/ui/event_trace.h"
#include "app/ui/hidden_window.h"
#include "app/ui/icon_theme.h"
#include "app/ui/plain_buttons.h"
#include "app/ui/qt_ui_seams.h"
#include "app/ui/screenshot_hook.h"
#include "app/ui/single_instance.h"
#include "app/ui/styled_message_box.h"
#include "platform/ui.h"

namespace {

using bkvp::engine::ProgramCommandLine;
namespace ui = bkvp::ui;

constexpr int kForwardTimeoutMs = 5000;

// Registration needs neither a display nor the running program: it is done
// before anything else and ends the process.
int Register(ProgramCommandLine::Registration registration) {
  const bool adding = registration == ProgramCommandLine::Registration::kRegister;
  const bkvp::Status done = adding ? bkvp::engine::RegisterProgram(bkvp::engine::ThisProgramFile())
                                   : bkvp::engine::UnregisterProgram();
  if (done.ok()) return 0;
  std::cerr << "BackupVopal: " << done.message() << "\n";
  return 1;
}

// A file named on the command line is kept with its full path: the program
// that opens it may run in another folder.
std::string AbsoluteFileName(const std::string& name) {
  return QFileInfo(QString::fromStdString(name)).absoluteFilePath().toStdString();
}

int ForwardToRunningProgram(const std::vector<std::string>& args, const ProgramCommandLine& line) {
  int command = ui::kCommandNone;
  if (args.empty()) {
    command = ui::kCommandStepByStep;
  } else if (!line.fileName.empty()) {
    if (const bkvp::Status stored = bkvp::engine::WriteCmdLineFile(AbsoluteFileName(line.fileName));
        !stored.ok())
      std::cerr << "BackupVopal: " << stored.message() << "\n";
    command = ui::kCommandOpenCommandLineFile;
  }
  const ui::ForwardResult result = ui::ForwardCommand(command, kForwardTimeoutMs);
  if (result.delivered) return 0;
  std::cerr << "BackupVopal: " << result.error.toStdString() << "\n";
  return 1;
}

int Fail(const std::string& text) {
  std::cerr << "BackupVopal: " << text << "\n";
  bkvp::ui::StyledMessageBox::Ask(text, bkvp::engine::kProgramCaption,
                                  bkvp::platform::ui::MB_OK | bkvp::platform::ui::MB_ICONSTOP);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  const ProgramCommandLine line = bkvp::engine::ParseProgramCommandLine(args);
  if (line.registration != ProgramCommandLine::Registration::kNone)
    return Register(line.registration);
  // Started as a component server: the program's only class is created
  // inside the program itself, so there is nothing to serve.
  if (line.embedded) return 0;
  if (line.help) {
    std::cout << bkvp::engine::kProgramUsage;
    return 0;
  }
  // Without a display Qt would abort; say what is missing instead.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    std::cerr << "BackupVopal: no display to show the program on (DISPLAY is not set); "
                 "bkvp backs up and restores from the command line\n";
    return 1;
  }

  QApplication app(argc, argv);
  app.setApplicationName("Backup Vopal");
  app.setQuitOnLastWindowClosed(false);
  ui::UseIconThemeFallback();
  ui::UsePlainButtons();
  const ui::QtUiSeams seams;

  if (const bkvp::Status store = bkvp::engine::CheckSettingsStore(); !store.ok())
    return Fail(store.message());

  QString lockError;
  const auto lock = ui::InstanceLock::TryAcquire(&lockError);
  if (!lock) {
    if (!lockError.isEmpty()) return Fail(lockError.toStdString());
    return ForwardToRunningProgram(args, line);
  }
  ui::InstanceServer server;
  if (QString error; !server.Listen(&error))
    std::cerr << "BackupVopal: a second start cannot reach this program: " << error.toStdString()
              << "\n";

  ui::HiddenWindow window(ui::HiddenWindow::Timing{});
  QObject::connect(&server, &ui::InstanceServer::commandReceived, &window,
                   &ui::HiddenWindow::PostCommand);
  window.Create();
  if (!QSystemTrayIcon::isSystemTrayAvailable())
    std::cerr << "BackupVopal: no notification area; running without an icon "
                 "(start BackupVopal again to open the wizard)\n";
  ui::ShowDialogForScreenshot(window);

  if (!line.quiet) {
    if (!line.fileName.empty())
      if (const bkvp::Status stored =
              bkvp::engine::WriteCmdLineFile(AbsoluteFileName(line.fileName));
          !stored.ok())
        std::cerr << "BackupVopal: " << stored.message() << "\n";
    window.PostOpenWizard(line.fileName.empty() ? ui::kPageStart : ui::kPageRestoreSource);
  }
  return app.exec();
}
