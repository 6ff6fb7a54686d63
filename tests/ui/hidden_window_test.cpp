// The hidden window in this process with the real engine and modules: menu
// enabling, the error state and its blinking, the start-up check for a cut-off
// run, and scheduled runs started by the scheduler timer.
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "app/engine/error_state.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_log.h"
#include "app/engine/scheduler.h"
#include "app/ui/commands.h"
#include "app/ui/hidden_window.h"
#include "app/ui/log_viewer.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "platform/registry.h"
#include "tests/ui/ui_test_support.h"

namespace bkvp::ui {
namespace {

using testing::IsolatedState;

HiddenWindow::Timing FastBlink() { return {60000, 20}; }

uint32_t Stored(const char* key, const char* name) {
  return platform::RegReadDword(key, name).value_or(99);
}

QString LogPath() { return QString::fromStdString(engine::LogPath()); }

}  // namespace

class HiddenWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void menuFollowsTheLogTheWizardAndTheErrorState() {
    const IsolatedState state;
    HiddenWindow window(FastBlink());
    window.Create();
    CTrayIcon& tray = window.tray();
    tray.UpdateMenu();
    QVERIFY(!tray.action(kCommandViewLog)->isEnabled());
    QVERIFY(tray.action(kCommandBackUpNow)->isEnabled());
    QVERIFY(tray.action(kCommandStepByStep)->font().bold());
    QCOMPARE(tray.tooltip(), QString("Backup Vopal\nLast backup: none yet\nNo backup scheduled"));

    testing::WriteAll(LogPath(), "This is a Backup Vopal log file.\n");
    tray.UpdateMenu();
    QVERIFY(tray.action(kCommandViewLog)->isEnabled());

    // With the wizard open: no second branch, no exit; Exit brings it forward.
    QStringList seen;
    connect(&window, &HiddenWindow::wizardOpened, this, [&](int page) {
      QTimer::singleShot(0, [&, page] {
        tray.UpdateMenu();
        seen << QString("page %1").arg(page);
        if (!tray.action(kCommandBackUpNow)->isEnabled()) seen << "backup disabled";
        if (!tray.action(kCommandRestoreNow)->isEnabled()) seen << "restore disabled";
        if (!tray.action(kCommandExit)->isEnabled()) seen << "exit disabled";
        if (tray.action(kCommandStepByStep)->isEnabled()) seen << "step-by-step enabled";
        window.HandleCommand(kCommandExit);
        if (window.wizardOpen()) seen << "still open";
        QCOMPARE(window.wizard()->currentId(), kPageRestoreSource);
        QCOMPARE(window.wizard()->currentPage()->title(),
                 QString("Select location of an existing archive"));
        window.wizard()->reject();
      });
    });
    window.tray().action(kCommandRestoreNow)->trigger();
    QTRY_COMPARE(seen, QStringList({"page 5", "backup disabled", "restore disabled",
                                    "exit disabled", "step-by-step enabled", "still open"}));
    QTRY_VERIFY(!window.wizardOpen());
    tray.UpdateMenu();
    QVERIFY(tray.action(kCommandExit)->isEnabled());
  }

  void errorStateBlinksAcrossARestartUntilTheLogIsViewed() {
    const IsolatedState state;
    testing::WriteAll(LogPath(), "This is a Backup Vopal log file.\n");
    platform::RegWriteDword(engine::ProgramKey(), "error", 1);

    HiddenWindow window(FastBlink());
    QSignalSpy images(&window, &HiddenWindow::iconShown);
    window.Create();
    QVERIFY(window.errorShown());
    QCOMPARE(window.tray().defaultCommand(), kCommandViewLog);
    QTRY_VERIFY(images.count() >= 4);
    for (int i = 1; i < images.count(); ++i)
      QVERIFY(images[i][0].toBool() != images[i - 1][0].toBool());

    // A double-click shows the log in the program's own window, whatever
    // the desktop offers, and only then is the alarm over.
    window.PostCommand(window.tray().defaultCommand());
    QTRY_VERIFY(window.logViewer() && window.logViewer()->isVisible());
    QCOMPARE(window.logViewer()->text()->toPlainText(),
             QString("This is a Backup Vopal log file.\n"));
    QVERIFY(!window.errorShown());
    QCOMPARE(Stored(engine::ProgramKey().c_str(), "error"), 0u);
    QCOMPARE(Stored(engine::ScheduleKey().c_str(), "TaskStatus"), engine::kTaskCompleted);
    QCOMPARE(window.tray().defaultCommand(), kCommandStepByStep);
    QCOMPARE(images.last()[0].toBool(), false);
    QVERIFY(!window.blinking());  // steady now
  }

  void startUpAfterACutOffRunAppendsTheBannerAndTurnsTheErrorOn() {
    const IsolatedState state;
    testing::WriteAll(LogPath(), "This is a Backup Vopal log file.\nFiles and folders\n");
    QVERIFY(engine::WriteScheduleEnabled(true).ok());
    QVERIFY(engine::WriteTaskTime(uint32_t(std::time(nullptr) + 3600)).ok());
    engine::SetTaskStatus(engine::kTaskRunning);

    HiddenWindow window(FastBlink());
    window.Create();
    QVERIFY(window.errorShown());
    const QByteArray log = testing::ReadAll(LogPath());
    QVERIFY(log.startsWith("This is a Backup Vopal log file.\nFiles and folders\n\n! --- ! --- "));
    QVERIFY(log.endsWith("! --- !\nBackup did not complete properly."));
    QCOMPARE(engine::ReadTaskStatus(), engine::kTaskIdleOrFailed);
    // Settled once: the next tick finds nothing more to report.
    window.OnSchedulerTimer();
    QCOMPARE(testing::ReadAll(LogPath()), log);
  }

  void schedulerTimerRunsADueBackupAndBlinksWhenItFails() {
    const IsolatedState state;
    QDir().mkpath(state.path("source"));
    testing::WriteAll(state.path("source/letter.txt"), "Dear Ada,\n");
    QDir().mkpath(state.path("archives"));
    for (const QStringList& args :
         {QStringList{"register"}, QStringList{"files", "add", state.path("source")},
          QStringList{"schedule", "set", "--daily", "--at", "03:00", "--to",
                      state.path("archives")}}) {
      const testing::ToolResult result = testing::RunBuilt("bkvp", args);
      QVERIFY2(result.exitCode == 0, result.output.constData());
    }
    // bkvp schedule set starts the program at login from now on, in the
    // same state root.
    const QByteArray autostart =
        testing::ReadAll(state.config() + "/autostart/BackupVopal.desktop");
    QVERIFY2(autostart.contains("\nExec=env \"BKVP_HOME=" + qgetenv("BKVP_HOME") + "\" " +
                                QFile::encodeName(testing::BuiltProgram("BackupVopal")) + " /q\n"),
             autostart.constData());

    const std::time_t now = std::time(nullptr);
    QVERIFY(engine::WriteTaskTime(uint32_t(now - 60)).ok());
    HiddenWindow window({50, 20});
    QSignalSpy notes(&window, &HiddenWindow::notified);
    window.Create();
    QTRY_COMPARE_WITH_TIMEOUT(notes.size(), 1, 20000);
    QCOMPARE(engine::ReadTaskStatus(), engine::kTaskCompleted);
    const QStringList made = QDir(state.path("archives")).entryList({"VOPALARC*.KV"});
    QCOMPARE(made.size(), 1);
    QVERIFY(!window.errorShown());
    // Nobody watched the run: the tray says how it went, with the summary line.
    QCOMPARE(notes[0][0].toString(), QString("Scheduled backup completed"));
    QVERIFY2(notes[0][1].toString().startsWith("Saved 1 item (10 B) into " +
                                               state.path("archives/") + made[0]),
             qPrintable(notes[0][1].toString()));
    QCOMPARE(notes[0][2].toBool(), false);
    const QString lastBackup =
        "Last backup: " + QDateTime::currentDateTime().toString("yyyy-MM-dd");
    QVERIFY2(window.tooltip().contains(lastBackup), qPrintable(window.tooltip()));
    QVERIFY(window.tooltip().contains("(" + made[0] + ")\nNext: "));
    QVERIFY(!window.tooltip().contains("Next: now"));

    // Due again, into a destination that cannot be written: the run fails and
    // the icon blinks.
    QDir(state.path("archives")).removeRecursively();
    testing::WriteAll(state.path("archives"), "a file, not a folder");
    QVERIFY(engine::WriteTaskTime(uint32_t(now - 60)).ok());
    QSignalSpy images(&window, &HiddenWindow::iconShown);
    QTRY_VERIFY_WITH_TIMEOUT(window.errorShown(), 20000);
    QTRY_VERIFY(images.count() >= 2);
    QVERIFY(QFileInfo(state.path("archives")).isFile());
    QTRY_COMPARE(notes.size(), 2);
    QCOMPARE(notes[1][0].toString(), QString("Scheduled backup failed"));
    QVERIFY2(notes[1][1].toString().startsWith("The backup could not start: cannot create the "
                                               "destination " +
                                               state.path("archives")),
             qPrintable(notes[1][1].toString()));
    QVERIFY(notes[1][1].toString().endsWith("Click here to open the log."));
    QCOMPARE(notes[1][2].toBool(), true);
    // The retries that fail alike are not told again.
    window.OnSchedulerTimer();
    window.OnSchedulerTimer();
    QCOMPARE(notes.size(), 2);
    // The good archive is still the last backup; the failure and its reason
    // come beside it, and the retry is due at once.
    QVERIFY2(window.tooltip().contains(lastBackup), qPrintable(window.tooltip()));
    QVERIFY2(window.tooltip().contains("\nLast run failed: cannot create the destination "),
             qPrintable(window.tooltip()));
    QVERIFY(window.tooltip().endsWith("(open the log)\nNext: now"));

    QCOMPARE(testing::RunBuilt("bkvp", {"schedule", "off"}).exitCode, 0);
    QVERIFY(!QFile::exists(state.config() + "/autostart/BackupVopal.desktop"));
  }
};

}  // namespace bkvp::ui

QTEST_MAIN(bkvp::ui::HiddenWindowTest)
#include "hidden_window_test.moc"
