#include "app/ui/hidden_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "app/engine/error_state.h"
#include "app/engine/run_log.h"
#include "app/engine/schedule_status.h"
#include "app/ui/commands.h"
#include "app/ui/event_trace.h"
#include "app/ui/tray_artwork.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "platform/files.h"

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
}

HiddenWindow::~HiddenWindow() {
  engine::SetErrorStateListener(nullptr);
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
  const engine::ProgramSettings settings = engine::ProgramSettings::Load(now_());
  tray_.SetToolTip(QStringLiteral("Backup Vopal\n") +
                   QString::fromStdString(engine::ScheduleStatusLine(settings)));
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
  const engine::ProgramSettings settings = engine::ProgramSettings::Load(now_());
  CBkRsPropSheet sheet(settings);
  sheet.setStartId(page);
  wizard_ = &sheet;
  scheduler_.SetWizardOpen(true);
  TraceEvent(QStringLiteral("wizard opened at page %1").arg(page));
  emit wizardOpened(page);
  sheet.exec();
  scheduler_.SetWizardOpen(false);
  wizard_ = nullptr;
  TraceEvent("wizard closed");
  RefreshTooltip();
}

void HiddenWindow::BringWizardToFront() {
  TraceEvent("wizard brought to front");
  wizard_->raise();
  wizard_->activateWindow();
}

void HiddenWindow::ViewLog() {
  if (!platform::FileExists(engine::LogPath())) return;
  engine::SetErrorState(false);
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(engine::LogPath())));
}

void HiddenWindow::Exit() {
  if (wizard_) return BringWizardToFront();
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
  return report;
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
