// The program's invisible main window: it owns the tray icon, the scheduler
// timer (1) and the blink timer (2), carries out the program's commands and
// opens the wizard. No widget of its own: a plain object on the event loop.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "app/engine/program_settings.h"
#include "app/engine/scheduler.h"
#include "app/ui/log_viewer.h"
#include "app/ui/tray_icon.h"

namespace bkvp::ui {

class CBkRsPropSheet;

class HiddenWindow : public QObject {
  Q_OBJECT
 public:
  struct Timing {
    int schedulerMs = 60000;
    int blinkMs = 500;
  };

  explicit HiddenWindow(Timing timing, engine::NowFunction now = engine::SystemNow,
                        QObject* parent = nullptr);
  ~HiddenWindow() override;

  // The creation handler: the tray icon, the check for a run that was cut
  // off, the stored error state, and the scheduler timer.
  void Create();

  // Queued like a posted message: the handler that posts (a menu click, a
  // second start's message) ends before a modal wizard starts.
  void PostCommand(int command);
  void HandleCommand(int command);
  // Opens the wizard at a page as start-up does, without a command's side
  // effects; queued as well.
  void PostOpenWizard(int page);
  bool IsCommandEnabled(int command) const;

  bool wizardOpen() const { return wizard_ != nullptr; }
  CBkRsPropSheet* wizard() const { return wizard_; }
  bool errorShown() const { return errorShown_; }
  bool blinking() const { return blinkTimer_.isActive(); }
  // The log's window while it is open.
  LogViewer* logViewer() const { return logViewer_; }
  bool runPumping() const { return runPumping_; }
  CTrayIcon& tray() { return tray_; }
  // "Backup Vopal" and lines on the last good backup, a failed last run and
  // the next backup.
  QString tooltip() const { return tray_.tooltip(); }

  // The scheduler timer's handler, callable directly.
  engine::TickReport OnSchedulerTimer();

 signals:
  // Every image change of the tray icon: true for the blink image.
  void iconShown(bool attention);
  void wizardOpened(int page);
  void wizardClosed();
  // A run without a wizard ended and the tray said so.
  void notified(const QString& title, const QString& text, bool failure);

 private:
  void OpenWizard(int page);
  void CloseWizard();
  void BringWizardToFront();
  void ViewLog();
  void Exit();
  bool ExitConfirmed();
  void Notify(const engine::TickReport& report);
  void OnBlinkTimer();
  void ApplyErrorState(bool on);
  void ShowIcon(bool attention);
  void RefreshTooltip();

  engine::NowFunction now_;
  engine::Scheduler scheduler_;
  QTimer schedulerTimer_;
  QTimer blinkTimer_;
  QIcon normalIcon_;
  QIcon attentionIcon_;
  CTrayIcon tray_;
  // The wizard is not modal, so that the tray stays alive beside it; the
  // settings it was opened with live as long as it does.
  CBkRsPropSheet* wizard_ = nullptr;
  std::unique_ptr<engine::ProgramSettings> wizardSettings_;
  QPointer<LogViewer> logViewer_;
  bool lastNotificationFailed_ = false;
  QString repeatedFailure_;  // the last failed run's line, told already
  bool runPumping_ = false;
  bool errorShown_ = false;
  bool blinkPhase_ = false;
};

}  // namespace bkvp::ui
