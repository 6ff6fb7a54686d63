#include "app/ui/hidden_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>

#include "app/engine/error_state.h"
#include "app/engine/run_log.h"
#include "app/engine/run_summary_text.h"
#include "app/engine/tray_status.h"
#include "app/ui/commands.h"
#include "app/ui/event_trace.h"
#include "app/ui/log_viewer.h"
#include "app/ui/tray_artwork.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace bkvp::ui {
namespace {

const char* OutcomeName(engine::TickOutcome outcome) {
  switch (outcome) {
    case engine::TickOutcome::kDisabled:
      return "disabled";
    case engine::TickOutcome::kBusy:
      return "busy";
    case engine::TickOutcome::kInterruptedFound:
      return "interrupted";
    case engine::TickOutcome::kNotDue:
      return "not due";
    case engine::TickOutcome::kRunCompleted:
      return "run completed";
    case engine::TickOutcome::kRunFailed:
      return "run failed";
  }
  return "?";
}

// Where the program keeps what the user told it about its own windows.
std::string InterfaceKey() { return engine::ProgramKey() + "\\Interface"; }
constexpr const char* kNoExitWarning = "NoExitWarning";

// Clears a flag when the scope ends, also when a handler throws.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

HiddenWindow::HiddenWindow(Timing timing, engine::NowFunction now, QObject* parent)
    : QObject(parent),
      now_(now),
      scheduler_(now),
      normalIcon_(ProgramIcon()),
      attentionIcon_(AttentionIcon()) {
  schedulerTimer_.setInterval(timing.schedulerMs);
  blinkTimer_.setInterval(timing.blinkMs);
  connect(&schedulerTimer_, &QTimer::timeout, this, [this] { OnSchedulerTimer(); });
  connect(&blinkTimer_, &QTimer::timeout, this, &HiddenWindow::OnBlinkTimer);
  connect(&tray_, &CTrayIcon::commandChosen, this, &HiddenWindow::PostCommand);
  connect(&tray_, &CTrayIcon::messageClicked, this, [this] {
    if (lastNotificationFailed_) PostCommand(kCommandViewLog);
  });
}

HiddenWindow::~HiddenWindow() {
  engine::SetErrorStateListener(nullptr);
  delete logViewer_.data();
  if (wizard_) CloseWizard();
  schedulerTimer_.stop();
  blinkTimer_.stop();
  tray_.Remove();
}

void HiddenWindow::Create() {
  RefreshTooltip();
  tray_.Create(normalIcon_, [this](int command) { return IsCommandEnabled(command); });
  engine::SetErrorStateListener([this](bool on) { ApplyErrorState(on); });
  if (engine::CheckForInterruptedRun()) TraceEvent("cut-off run found");
  ApplyErrorState(engine::ErrorStateOn());
  schedulerTimer_.start();
  TraceEvent("created");
}

void HiddenWindow::RefreshTooltip() {
  const std::time_t now = now_();
  const engine::ProgramSettings settings = engine::ProgramSettings::Load(now);
  tray_.SetToolTip(QStringLiteral("Backup Vopal\n") +
                   QString::fromStdString(engine::TrayStatusText(settings, now)));
}

void HiddenWindow::PostCommand(int command) {
  QMetaObject::invokeMethod(
      this, [this, command] { HandleCommand(command); }, Qt::QueuedConnection);
}

void HiddenWindow::PostOpenWizard(int page) {
  QMetaObject::invokeMethod(
      this, [this, page] { OpenWizard(page); }, Qt::QueuedConnection);
}

bool HiddenWindow::IsCommandEnabled(int command) const {
  // While a run pumps events nothing may start that would re-enter it.
  if (runPumping_) return false;
  switch (command) {
    case kCommandViewLog:
      return platform::FileExists(engine::LogPath());
    case kCommandBackUpNow:
    case kCommandRestoreNow:
    case kCommandExit:
      return !wizardOpen();
    default:
      return true;
  }
}

void HiddenWindow::HandleCommand(int command) {
  TraceEvent(QStringLiteral("command 0x%1").arg(command, 0, 16));
  if (runPumping_) {
    TraceEvent("refused: a run is in progress");
    return;
  }
  switch (command) {
    case kCommandBackUpNow:
    case kCommandRestoreNow:
    case kCommandStepByStep: {
      engine::SetErrorState(false);
      const int page = command == kCommandBackUpNow    ? kPageBackupClients
                       : command == kCommandRestoreNow ? kPageRestoreSource
                                                       : kPageStart;
      OpenWizard(page);
      break;
    }
    case kCommandOpenCommandLineFile:
      OpenWizard(kPageRestoreSource);
      break;
    case kCommandViewLog:
      ViewLog();
      break;
    case kCommandExit:
      Exit();
      break;
    default:
      break;
  }
}

void HiddenWindow::OpenWizard(int page) {
  if (wizard_) return BringWizardToFront();
  wizardSettings_ =
      std::make_unique<engine::ProgramSettings>(engine::ProgramSettings::Load(now_()));
  wizard_ = new CBkRsPropSheet(*wizardSettings_);
  wizard_->setStartId(page);
  connect(wizard_, &QDialog::finished, this, &HiddenWindow::CloseWizard);
  scheduler_.SetWizardOpen(true);
  TraceEvent(QStringLiteral("wizard opened at page %1").arg(page));
  wizard_->show();
  emit wizardOpened(page);
}

void HiddenWindow::CloseWizard() {
  if (!wizard_) return;
  wizard_->hide();
  delete wizard_;
  wizard_ = nullptr;
  wizardSettings_.reset();
  scheduler_.SetWizardOpen(false);
  TraceEvent("wizard closed");
  RefreshTooltip();
  emit wizardClosed();
}

// Every way of asking for the wizard while it is open lands here: it comes
// back from the task bar and to the front.
void HiddenWindow::BringWizardToFront() {
  TraceEvent("wizard brought to front");
  wizard_->setWindowState((wizard_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  wizard_->show();
  wizard_->raise();
  wizard_->activateWindow();
}

// The error state goes off only once the user has the log in front of him.
void HiddenWindow::ViewLog() {
  const QString path = QString::fromStdString(engine::LogPath());
  if (!platform::FileExists(engine::LogPath())) return;
  if (!logViewer_) {
    logViewer_ = new LogViewer(path);
    logViewer_->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    logViewer_->Reload();
  }
  TraceEvent("log shown");
  logViewer_->setWindowState(logViewer_->windowState() & ~Qt::WindowMinimized);
  logViewer_->show();
  logViewer_->raise();
  logViewer_->activateWindow();
  if (logViewer_->isVisible()) engine::SetErrorState(false);
}

// Scheduled backups need the program running: the user is told so once,
// unless he asked not to be told again.
bool HiddenWindow::ExitConfirmed() {
  const engine::ProgramSettings settings = engine::ProgramSettings::Load(now_());
  if (!settings.scheduleEnabled ||
      platform::RegReadDword(InterfaceKey(), kNoExitWarning).value_or(0) != 0)
    return true;
  QMessageBox box(QMessageBox::Warning, "Backup Vopal",
                  "Scheduled backups do not run while Backup Vopal is closed. They start again "
                  "when it starts (at the next login, or when you start it).\n\nExit now?",
                  QMessageBox::Yes | QMessageBox::No);
  box.setObjectName("exitWarning");
  box.setDefaultButton(QMessageBox::No);
  auto* dontShow = new QCheckBox("Don't show this again");
  box.setCheckBox(dontShow);
  TraceEvent("exit warning shown");
  const bool exit = box.exec() == QMessageBox::Yes;
  if (exit && dontShow->isChecked()) platform::RegWriteDword(InterfaceKey(), kNoExitWarning, 1);
  return exit;
}

void HiddenWindow::Exit() {
  if (wizard_) return BringWizardToFront();
  if (!ExitConfirmed()) return;
  schedulerTimer_.stop();
  blinkTimer_.stop();
  tray_.Remove();
  TraceEvent("exit");
  QCoreApplication::quit();
}

engine::TickReport HiddenWindow::OnSchedulerTimer() {
  if (runPumping_) return {engine::TickOutcome::kBusy};
  engine::TickReport report;
  {
    FlagScope running(runPumping_);
    report = scheduler_.Tick();
  }
  TraceEvent(QStringLiteral("tick: %1").arg(OutcomeName(report.outcome)));
  // bkvp may have changed the error state from outside.
  if (engine::ErrorStateOn() != errorShown_) ApplyErrorState(!errorShown_);
  RefreshTooltip();
  Notify(report);
  return report;
}

// A run nobody watched says how it ended; a failure names its reason and
// opens the log when the message is clicked.
void HiddenWindow::Notify(const engine::TickReport& report) {
  QString title, text;
  bool failure = true;
  switch (report.outcome) {
    case engine::TickOutcome::kRunCompleted:
      failure = report.run.result != engine::RunResult::kSucceeded;
      title = failure ? "Scheduled backup completed with failures" : "Scheduled backup completed";
      break;
    case engine::TickOutcome::kRunFailed:
      title = "Scheduled backup failed";
      break;
    case engine::TickOutcome::kInterruptedFound:
      title = "Scheduled backup did not finish";
      text = "The program or the computer stopped while it ran.";
      break;
    default:
      return;
  }
  if (text.isEmpty())
    text =
        QString::fromStdString(engine::RunEndLine({engine::RunKind::kBackup, "", ""}, report.run));
  // A failed run is tried again at every tick: its failure is told once,
  // until it changes or a run goes through.
  if (report.outcome == engine::TickOutcome::kRunFailed && text == repeatedFailure_) return;
  repeatedFailure_ = report.outcome == engine::TickOutcome::kRunFailed ? text : QString();
  if (failure) text += " Click here to open the log.";
  lastNotificationFailed_ = failure;
  tray_.ShowMessage(title, text, failure ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
  TraceEvent("notification: " + title);
  emit notified(title, text, failure);
}

void HiddenWindow::ApplyErrorState(bool on) {
  errorShown_ = on;
  tray_.SetDefaultCommand(on ? kCommandViewLog : kCommandStepByStep);
  if (on) {
    if (!blinkTimer_.isActive()) blinkTimer_.start();
  } else {
    blinkTimer_.stop();
    blinkPhase_ = false;
    ShowIcon(false);
  }
  TraceEvent(on ? "error state on" : "error state off");
}

void HiddenWindow::OnBlinkTimer() {
  blinkPhase_ = !blinkPhase_;
  ShowIcon(blinkPhase_);
}

void HiddenWindow::ShowIcon(bool attention) {
  tray_.SetIcon(attention ? attentionIcon_ : normalIcon_);
  emit iconShown(attention);
}

}  // namespace bkvp::ui
