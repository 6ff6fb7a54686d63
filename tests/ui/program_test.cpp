// Start-up rules between real BackupVopal processes: forwarding to the
// running program, the quiet switch, a socket left by a killed program, a
// program that hangs, registration, a damaged settings store.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <memory>

#include "app/engine/program_settings.h"
#include "app/ui/single_instance.h"
#include "platform/registry.h"
#include "tests/ui/ui_test_support.h"

namespace bkvp::ui {
namespace {

using testing::IsolatedState;

// A BackupVopal process that tells what it does through its trace file.
class Program {
 public:
  Program(const IsolatedState& state, const QStringList& arguments,
          const QString& workingFolder = {})
      : trace_(state.path("trace")) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("BKVP_UI_TRACE", trace_);
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty()) process_.setWorkingDirectory(workingFolder);
    process_.start(testing::BuiltProgram("BackupVopal"), arguments);
  }
  ~Program() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(pid_t(process_.processId()), SIGCONT);
    process_.kill();
    process_.waitForFinished();
  }
  QProcess& process() { return process_; }
  QByteArray trace() const { return testing::ReadAll(trace_); }
  // Ends as a second start does: at once, with its status.
  int Finish(QByteArray* output = nullptr) {
    if (!process_.waitForFinished(15000)) return -1;
    if (output) *output = process_.readAll();
    return process_.exitCode();
  }

 private:
  QString trace_;
  QProcess process_;
};

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT
 private slots:
  void secondStartsForwardTheirCommandAndEnd() {
    const IsolatedState state;
    Program first(state, {"/q"});
    QTRY_VERIFY_WITH_TIMEOUT(first.trace().contains("created\n"), 15000);
    QVERIFY(!first.trace().contains("wizard opened"));

    QCOMPARE(Program(state, {}).Finish(), 0);
    QTRY_VERIFY(first.trace().contains("command 0x8005\nwizard opened at page 0\n"));

    // A relative file name reaches the first program as a full path.
    QDir().mkpath(state.path("media"));
    QCOMPARE(Program(state, {"VOPALARC373E05.KV"}, state.path("media")).Finish(), 0);
    QTRY_VERIFY(first.trace().contains("command 0x8008\nwizard brought to front\n"));
    QCOMPARE(platform::RegReadString(engine::GeneralKey(), "CmdLineFile").value_or(""),
             state.path("media/VOPALARC373E05.KV").toStdString());

    QCOMPARE(Program(state, {"/q"}).Finish(), 0);
    QTRY_VERIFY(first.trace().endsWith("command 0x0\n"));
    QCOMPARE(first.process().state(), QProcess::Running);
  }

  void onlyExactSlashLowerQIsQuiet() {
    for (const char* notQuiet : {"-q", "/Q"}) {
      const IsolatedState state;
      Program program(state, {notQuiet});
      QTRY_VERIFY_WITH_TIMEOUT(program.trace().contains("wizard opened at page"), 15000);
    }
  }

  void aSocketLeftByAKilledProgramDoesNotBlockTheNext() {
    const IsolatedState state;
    {
      Program killed(state, {"/q"});
      QTRY_VERIFY_WITH_TIMEOUT(killed.trace().contains("created\n"), 15000);
      killed.process().kill();
      killed.process().waitForFinished();
    }
    QVERIFY(QFile::exists(InstanceSocketPath()));
    QFile::remove(state.path("trace"));
    Program next(state, {"/q"});
    QTRY_VERIFY_WITH_TIMEOUT(next.trace().contains("created\n"), 15000);
    QCOMPARE(Program(state, {}).Finish(), 0);
    QTRY_VERIFY(next.trace().contains("wizard opened at page 0"));
  }

  void aLockFolderOtherUsersMayWriteToIsRefused() {
    // Without a session folder the lock and socket live in the state
    // folder's "run"; one that others may write to could hold a stranger's.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const IsolatedState state;
    const QString run = state.home() + "/run";
    QVERIFY(QDir().mkpath(run));
    QVERIFY(QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::WriteOther |
                                           QFileDevice::ExeOther));
    Program program(state, {"/q"});
    // The message also shows in a box, which nobody closes here.
    QTRY_VERIFY_WITH_TIMEOUT(program.process().peek(4096).contains("is open to other users"),
                             15000);
    QVERIFY(!program.trace().contains("created"));
    if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime);
  }

  void aHangingProgramMakesTheSecondStartGiveUpAndSaySo() {
    const IsolatedState state;
    Program hanging(state, {"/q"});
    QTRY_VERIFY_WITH_TIMEOUT(hanging.trace().contains("created\n"), 15000);
    ::kill(pid_t(hanging.process().processId()), SIGSTOP);
    QByteArray output;
    QCOMPARE(Program(state, {}).Finish(&output), 1);
    QVERIFY2(output.contains("BackupVopal: the running Backup Vopal does not answer"),
             output.constData());
  }

  void regServerRegistersTheProgressIndicatorAndEndsWithoutTray() {
    const IsolatedState state;
    Program program(state, {"/RegServer"});
    QCOMPARE(program.Finish(), 0);
    QVERIFY(program.trace().isEmpty());  // no window, no tray, no wizard
    const std::string key =
        "HKEY_CLASSES_ROOT\\CLSID\\{ACD03E9E-6CF1-467C-A0E7-42DEF4D69311}\\InprocServer32";
    QCOMPARE(platform::RegReadString(key, "").value_or(""),
             testing::BuiltProgram("BackupVopal").toStdString());
    QCOMPARE(
        platform::RegReadString("HKEY_CLASSES_ROOT\\BackupVopalLib.ProgressIndicator\\CLSID", "")
            .value_or(""),
        "{ACD03E9E-6CF1-467C-A0E7-42DEF4D69311}");
    QCOMPARE(Program(state, {"-unregserver"}).Finish(), 0);
    QVERIFY(!platform::RegReadString(key, "").has_value());
  }

  void aDamagedSettingsStoreIsReportedAndLeftAlone() {
    const IsolatedState state;
    QDir().mkpath(state.home() + "/registry");
    const QString hive = state.home() + "/registry/HKEY_CURRENT_USER.db";
    const QByteArray damaged(4096, 'x');
    testing::WriteAll(hive, damaged);
    Program program(state, {"/q"});
    // The message also shows in a box, which nobody closes here.
    QTRY_VERIFY_WITH_TIMEOUT(program.process().peek(4096).contains("cannot be used"), 15000);
    QVERIFY(!program.trace().contains("created"));
    QCOMPARE(testing::ReadAll(hive), damaged);
  }
};

}  // namespace bkvp::ui

QTEST_MAIN(bkvp::ui::ProgramTest)
#include "program_test.moc"
