// The wizard with the real engine, archive service, files client and its
// page module, registered by the bkvp tool in a fresh state folder: both
// branches end to end as a user goes through them, the rules that keep the
// user on a page, the schedule page's controls, and a run cancelled while it
// works.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include "app/engine/autostart.h"
#include "app/engine/error_state.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_log.h"
#include "app/engine/schedule.h"
#include "app/ui/commands.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/choose_files_dialog.h"
#include "app/ui/wizard/page_messages.h"
#include "app/ui/wizard/place_chooser.h"
#include "app/ui/wizard/run_progress.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "tests/support/rclone_server.h"
#include "tests/ui/ui_test_support.h"

namespace bkvp::ui {
namespace {

using testing::IsolatedState;

constexpr const char* kFilesClient = "Files and folders";

// The platform's seams as the program has them, with every message box
// recorded (and answered OK) instead of shown.
class RecordedMessages {
 public:
  RecordedMessages() {
    platform::ui::Hooks hooks;
    hooks.pumpMessages = [] { QCoreApplication::processEvents(); };
    hooks.messageBox = [this](const std::string& text, const std::string&, unsigned) {
      texts << QString::fromStdString(text);
      return platform::ui::IDOK;
    };
    platform::ui::InstallHooks(std::move(hooks));
  }
  ~RecordedMessages() { platform::ui::ResetHooks(); }
  // The texts shown since the last call.
  QStringList Take() { return std::exchange(texts, {}); }

  QStringList texts;
};

void Tool(const QStringList& arguments) {
  const testing::ToolResult result = testing::RunBuilt("bkvp", arguments);
  QVERIFY2(result.exitCode == 0, qPrintable("bkvp " + arguments.join(' ') + ": " + result.output));
}

using testing::Find;
using testing::WithText;

QListWidget* ClientList(CBkRsPropSheet& sheet, int page) {
  return Find<QListWidget>(sheet.page(page), "clientList");
}

QListWidgetItem* ClientItem(CBkRsPropSheet& sheet, int page, const QString& name) {
  const auto found = ClientList(sheet, page)->findItems(name, Qt::MatchExactly);
  if (found.size() != 1) qFatal("no client item %s", qPrintable(name));
  return found.front();
}

QStringList Archives(const QString& folder) {
  return QDir(folder).entryList({"VOPALARC*.KV"}, QDir::Files);
}

// The wizard as the program opens it: the settings loaded, at a page.
struct Wizard {
  explicit Wizard(int startPage)
      : settings(engine::ProgramSettings::Load(std::time(nullptr))), sheet(settings) {
    sheet.setStartId(startPage);
    sheet.show();
  }
  engine::ProgramSettings settings;
  CBkRsPropSheet sheet;
};

// On the source page: the folder, its newest archive, Next.
void ChooseArchive(CBkRsPropSheet& sheet, const QString& folder) {
  QWizardPage* page = sheet.page(kPageRestoreSource);
  page->findChild<PlaceChooser*>()->SelectFolder(folder);
  auto* list = Find<QTreeWidget>(page, "archiveList");
  list->setCurrentItem(list->topLevelItem(0));
  sheet.next();
}

// A source folder holding one letter, backed up by the tool.
QString BackUpALetter(const IsolatedState& state, const QStringList& backupOptions = {}) {
  const QString source = state.path("source");
  QDir().mkpath(source);
  testing::WriteAll(source + "/letter.txt", "Dear Ada,\n");
  Tool({"files", "add", source});
  Tool(QStringList{"backup", "--to", state.path("archives")} + backupOptions);
  return source;
}

std::string FilesClsid(CBkRsPropSheet& sheet) {
  for (const engine::ClientEntry& client : sheet.clients().entries())
    if (client.name == kFilesClient) return client.clsid;
  return {};
}

// Drops a folder from the desktop onto the files client's backup list.
void DropOntoBackupList(QWidget* page, const QString& folder) {
  QTreeWidget* list = nullptr;
  for (QTreeWidget* tree : page->findChildren<QTreeWidget*>())
    if (tree->headerItem()->text(0) == "Path") list = tree;
  QVERIFY(list);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(folder)});
  // As a drag does it: the target taking the drag in is the one dropped on.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &drop);
  QCOMPARE(list->topLevelItemCount(), 1);
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT
 private slots:
  void backupThroughTheWizardWritesTheArchiveAndTheSettings() {
    const IsolatedState state;
    const QString source = state.path("source"), archives = state.path("archives");
    QDir().mkpath(source + "/sub");
    QDir().mkpath(archives);
    testing::WriteAll(source + "/letter.txt", "Dear Ada,\n");
    testing::WriteAll(source + "/sub/notes.txt", "notes\n");
    Tool({"register"});
    RecordedMessages messages;
    Wizard wizard(kPageStart);
    CBkRsPropSheet& sheet = wizard.sheet;
    Find<QAbstractButton>(sheet.page(kPageStart), "backup")->click();
    QCOMPARE(sheet.currentId(), kPageBackupClients);

    // Nothing checked, then a client with nothing to save: the user stays.
    QListWidgetItem* files = ClientItem(sheet, kPageBackupClients, kFilesClient);
    QCOMPARE(files->checkState(), Qt::Unchecked);
    sheet.next();
    QCOMPARE(messages.Take(), QStringList{kNoClientToBackUpText});
    files->setCheckState(Qt::Checked);
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageBackupClients);
    QCOMPARE(messages.Take(), QStringList{"Files and folders\nError: no files to back up"});
    DropOntoBackupList(sheet.page(kPageBackupClients), source);
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageBackupDestination);

    sheet.next();
    QCOMPARE(messages.Take(), QStringList{kNoDestinationText});
    QCOMPARE(sheet.currentId(), kPageBackupDestination);
    auto* chooser = sheet.page(kPageBackupDestination)->findChild<PlaceChooser*>();
    QVERIFY(chooser->SelectFolder(archives));
    QVERIFY(Find<QLabel>(sheet.page(kPageBackupDestination), "freeSpace")
                ->text()
                .startsWith("Free space: "));
    sheet.next();

    QWizardPage* schedule = sheet.page(kPageBackupSchedule);
    Find<QCheckBox>(schedule, "runImmediately")->setChecked(true);
    Find<QCheckBox>(schedule, "scheduleLater")->setChecked(true);
    Find<QRadioButton>(schedule, "weekly")->setChecked(true);
    Find<QCheckBox>(schedule, "weekday1")->setChecked(true);
    Find<QCheckBox>(schedule, "weekday5")->setChecked(true);
    // Typed as digits after a click into the field: the hours come first.
    auto* time = Find<QTimeEdit>(schedule, "timeOfDay");
    sheet.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(time->width() - 30, time->height() / 2));
    QTRY_COMPARE(time->findChild<QLineEdit*>()->selectedText(),
                 time->sectionText(QDateTimeEdit::HourSection));
    QTest::keyClicks(time, "2230");
    QCOMPARE(time->time().toString("HH:mm"), QString("22:30"));
    Find<QCheckBox>(schedule, "keepLast")->setChecked(true);
    Find<QSpinBox>(schedule, "keepCount")->setValue(5);
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageBackupFinish);
    const QString summary =
        Find<QPlainTextEdit>(sheet.page(kPageBackupFinish), "summary")->toPlainText();
    QVERIFY2(summary.contains("Items to back up:\n\tFiles and folders\n\nDestination:\n\t" +
                              archives + "/\n\nSchedule:\n\tNow\n\tevery Monday, Friday at 22:30"),
             qPrintable(summary));
    QVERIFY(Find<QWidget>(sheet.page(kPageBackupFinish), "runProgress")->isVisible());

    const std::time_t finished = std::time(nullptr);
    sheet.accept();
    QCOMPARE(messages.Take(), QStringList());
    QCOMPARE(Archives(archives).size(), 1);
    // The page says how it went before the wizard closes.
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.page(kPageBackupFinish)->title(), QString("Backup completed"));
    const QString result = Find<QLabel>(sheet.page(kPageBackupFinish), "runResult")->text();
    QVERIFY2(result.startsWith("Saved 2 items (16 B) into " + archives + "/VOPALARC"),
             qPrintable(result));
    QCOMPARE(sheet.button(QWizard::FinishButton)->text(), QString("Close"));
    QVERIFY(!sheet.button(QWizard::BackButton)->isEnabled());
    sheet.accept();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));

    const std::string program = engine::ProgramKey(), scheduled = engine::ScheduleKey();
    const engine::ProgramSettings stored = engine::ProgramSettings::Load(0);
    QCOMPARE(stored.clients, std::vector<std::string>{FilesClsid(sheet)});
    QCOMPARE(stored.scheduleClients, stored.clients);
    QCOMPARE(platform::RegReadString(program, "StorePath").value_or(""),
             (archives + "/").toStdString());
    QCOMPARE(stored.scheduleStorePath, stored.storePath);
    QCOMPARE(platform::RegReadDword(program, "RunImmediately").value_or(9), 1u);
    QCOMPARE(platform::RegReadDword(program, "Schedule").value_or(9), 1u);
    const auto bytes = platform::RegReadBinary(scheduled, "Settings");
    QVERIFY(bytes && bytes->size() == engine::ScheduleRecord::kSize);
    const engine::ScheduleRecord record = *engine::ScheduleRecord::Decode(*bytes);
    QCOMPARE(record.kind, uint32_t(engine::kWeekly));
    QCOMPARE(record.weekdayMask, 0b0100010u);
    QCOMPARE(record.keepCount, 5u);
    QCOMPARE(QDateTime::fromSecsSinceEpoch(record.timeOfDay).time(), QTime(22, 30));
    QCOMPARE(std::time_t(stored.taskTime), *engine::ComputeNextRun(record, finished));
    QCOMPARE(stored.taskStatus, engine::kTaskCompleted);
    QVERIFY(QFile::exists(QString::fromStdString(engine::AutostartEntryPath())));
  }

  void restoreFromTheSourcePagePutsTheFilesBack() {
    const IsolatedState state;
    Tool({"register"});
    const QString source = BackUpALetter(state, {"--label", "Letters"});
    const QString archives = state.path("archives");
    QDir().mkpath(state.path("elsewhere"));
    const QString archive = archives + "/" + Archives(archives).value(0);
    QFile::remove(source + "/letter.txt");

    // Opened with the archive on the program's command line.
    QVERIFY(engine::WriteCmdLineFile(archive.toStdString()).ok());
    RecordedMessages messages;
    {
      Wizard wizard(kPageRestoreSource);
      CBkRsPropSheet& sheet = wizard.sheet;
      QWizardPage* page = sheet.page(kPageRestoreSource);
      auto* list = Find<QTreeWidget>(page, "archiveList");
      QVERIFY(list->currentItem());
      QCOMPARE(list->currentItem()->text(0), QString("Letters"));

      // Another folder replaces the list at once.
      page->findChild<PlaceChooser*>()->SelectFolder(state.path("elsewhere"));
      QCOMPARE(list->topLevelItemCount(), 0);
      QVERIFY(Find<QLabel>(page, "noArchives")->isVisible());
      sheet.next();
      QCOMPARE(messages.Take(), QStringList{kNoArchiveSelectedText});
      ChooseArchive(sheet, archives);
      QVERIFY(!Find<QLabel>(page, "noArchives")->isVisible());

      QListWidgetItem* files = ClientItem(sheet, kPageRestoreClients, kFilesClient);
      QCOMPARE(files->checkState(), Qt::Checked);
      files->setCheckState(Qt::Unchecked);
      sheet.next();
      QCOMPARE(messages.Take(), QStringList{kNoClientToRestoreText});
      files->setCheckState(Qt::Checked);
      sheet.next();
      QCOMPARE(sheet.currentId(), kPageRestoreFinish);
      QWizardPage* finish = sheet.page(kPageRestoreFinish);
      QVERIFY(Find<QPlainTextEdit>(finish, "summary")
                  ->toPlainText()
                  .contains("Data to restore:\n\tFiles and folders"));
      QCOMPARE(finish->title(), QString("Congratulation, wizard completed successfully"));
      sheet.accept();
      QCOMPARE(messages.Take(), QStringList());
      QCOMPARE(finish->title(), QString("Restore completed"));
      const QString result = Find<QLabel>(finish, "runResult")->text();
      QVERIFY2(result.startsWith("Restored 1 item (10 B) from " + archive), qPrintable(result));
      sheet.accept();
      QCOMPARE(sheet.result(), int(QDialog::Accepted));
    }
    QCOMPARE(testing::ReadAll(source + "/letter.txt"), QByteArray("Dear Ada,\n"));
    QVERIFY(testing::ReadAll(QString::fromStdString(engine::LogPath())).contains("Restoring\n"));
    // Closing the wizard forgets the command-line file.
    QCOMPARE(engine::ProgramSettings::Load(0).cmdLineFile, std::string());
  }

  void cancelLeavesTheStoredSettingsAsTheyWere() {
    const IsolatedState state;
    Tool({"register"});
    const QString source = BackUpALetter(state);
    RecordedMessages messages;
    std::string before;
    std::string filesKey;
    {
      Wizard wizard(kPageBackupClients);
      CBkRsPropSheet& sheet = wizard.sheet;
      filesKey = engine::ProgramKey() + "\\" + FilesClsid(sheet);
      QVERIFY(platform::ExportRegText(filesKey, before).ok);
      QVERIFY(before.find("file0") != std::string::npos);
      // The list emptied and another folder dropped on it, then Next.
      ClientItem(sheet, kPageBackupClients, kFilesClient)->setCheckState(Qt::Checked);
      QTreeWidget* list = nullptr;
      for (QTreeWidget* tree : sheet.page(kPageBackupClients)->findChildren<QTreeWidget*>())
        if (tree->headerItem()->text(0) == "Path") list = tree;
      list->selectAll();
      QTest::keyClick(list, Qt::Key_Delete);
      DropOntoBackupList(sheet.page(kPageBackupClients), state.path("archives"));
      sheet.next();
      QCOMPARE(sheet.currentId(), kPageBackupDestination);
      // Nothing of it is stored before Finish...
      std::string during;
      QVERIFY(platform::ExportRegText(filesKey, during).ok);
      QCOMPARE(during, before);
      sheet.back();
      sheet.reject();
    }
    // ...and Cancel leaves it so.
    std::string after;
    QVERIFY(platform::ExportRegText(filesKey, after).ok);
    QCOMPARE(after, before);
    QCOMPARE(messages.Take(), QStringList());
  }

  void backupToARemoteAndTheNextRestoreStartsThere() {
    const IsolatedState state;
    QDir().mkpath(state.path("served"));
    QDir().mkpath(state.path("scratch"));
    const bkvp::testing::RcloneServer server(bkvp::testing::RcloneServer::Kind::kWebdav,
                                             state.path("served").toStdString(),
                                             state.path("scratch").toStdString());
    QVERIFY2(server.running(), server.startLog().c_str());
    testing::WriteAll(state.path("rclone.conf"),
                      QByteArray::fromStdString(server.RemoteSection("dav")));
    qputenv("RCLONE_CONFIG", QFile::encodeName(state.path("rclone.conf")));
    Tool({"register"});
    const QString source = state.path("source");
    QDir().mkpath(source);
    testing::WriteAll(source + "/letter.txt", "Dear Ada,\n");
    Tool({"files", "add", source});
    RecordedMessages messages;
    {
      Wizard wizard(kPageBackupClients);
      CBkRsPropSheet& sheet = wizard.sheet;
      ClientItem(sheet, kPageBackupClients, kFilesClient)->setCheckState(Qt::Checked);
      sheet.next();
      auto* chooser = sheet.page(kPageBackupDestination)->findChild<PlaceChooser*>();
      QVERIFY(chooser->SelectRemote("rclone:dav:backups/laptop"));
      QCOMPARE(Find<QComboBox>(chooser, "remotes")->currentText(), QString("dav"));
      sheet.next();
      Find<QCheckBox>(sheet.page(kPageBackupSchedule), "runImmediately")->setChecked(true);
      sheet.next();
      sheet.accept();
      const QString result = Find<QLabel>(sheet.page(kPageBackupFinish), "runResult")->text();
      QVERIFY2(result.startsWith("Saved 1 item (10 B) into rclone:dav:backups/laptop/VOPALARC"),
               qPrintable(result));
      sheet.accept();
    }
    QCOMPARE(QDir(state.path("served/backups/laptop")).entryList({"VOPALARC*.KV"}).size(), 1);
    QCOMPARE(engine::ProgramSettings::Load(0).storePath, std::string("rclone:dav:backups/laptop"));

    // The restore wizard opens where that backup went, its archive chosen.
    QFile::remove(source + "/letter.txt");
    {
      Wizard wizard(kPageRestoreSource);
      CBkRsPropSheet& sheet = wizard.sheet;
      auto* list = Find<QTreeWidget>(sheet.page(kPageRestoreSource), "archiveList");
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->currentItem(), list->topLevelItem(0));
      sheet.next();
      QCOMPARE(sheet.currentId(), kPageRestoreClients);
      sheet.next();
      QVERIFY2(sheet.currentId() == kPageRestoreFinish, qPrintable(messages.texts.join("|")));
      const QString summary =
          Find<QPlainTextEdit>(sheet.page(kPageRestoreFinish), "summary")->toPlainText();
      QVERIFY2(summary.contains("\trclone:dav:backups/laptop/VOPALARC"), qPrintable(summary));
      QVERIFY2(summary.endsWith("Where the data goes:\n\tFiles and folders: back to the original "
                                "places; an existing file is replaced only if you say so"),
               qPrintable(summary));
      sheet.accept();
      sheet.accept();
    }
    QCOMPARE(testing::ReadAll(source + "/letter.txt"), QByteArray("Dear Ada,\n"));
    QCOMPARE(messages.Take(), QStringList());
    qunsetenv("RCLONE_CONFIG");
  }

  void onlyTheChosenFilesAreRestored() {
    const IsolatedState state;
    Tool({"register"});
    const QString source = state.path("source");
    QDir().mkpath(source + "/sub");
    testing::WriteAll(source + "/letter.txt", "Dear Ada,\n");
    testing::WriteAll(source + "/sub/notes.txt", "notes\n");
    Tool({"files", "add", source});
    Tool({"backup", "--to", state.path("archives")});
    QFile::remove(source + "/letter.txt");
    QFile::remove(source + "/sub/notes.txt");
    RecordedMessages messages;
    Wizard wizard(kPageRestoreSource);
    CBkRsPropSheet& sheet = wizard.sheet;
    sheet.next();
    QWizardPage* page = sheet.page(kPageRestoreClients);
    auto* choose = Find<QPushButton>(page, "chooseFiles");
    QVERIFY(choose->isVisible());
    QCOMPARE(Find<QLabel>(page, "filesChoice")->text(), QString("All files of the archive"));
    bool driven = false;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<ChooseFilesDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      driven = true;
      QCOMPARE(dialog->fileCount(), 2);
      dialog->Item(source + "/sub")->setCheckState(0, Qt::Unchecked);
      dialog->findChild<QLineEdit*>("filter")->setText("letter");
      QVERIFY(dialog->Item(source + "/sub")->isHidden());
      QVERIFY(!dialog->Item(source + "/letter.txt")->isHidden());
      dialog->accept();
    });
    choose->click();
    QVERIFY(driven);
    QCOMPARE(Find<QLabel>(page, "filesChoice")->text(),
             QString("1 of 2 files chosen for this restore"));
    sheet.next();
    QVERIFY(Find<QPlainTextEdit>(sheet.page(kPageRestoreFinish), "summary")
                ->toPlainText()
                .contains("Files and folders: only the 1 chosen file(s) and folder(s), back to "
                          "the original places"));
    sheet.accept();
    QCOMPARE(testing::ReadAll(source + "/letter.txt"), QByteArray("Dear Ada,\n"));
    QVERIFY(!QFile::exists(source + "/sub/notes.txt"));
    QCOMPARE(messages.Take(), QStringList());
  }

  void invalidClientPageCannotBeLeft() {
    const IsolatedState state;
    Tool({"register"});
    Tool({"register", STALL_CLIENT_MODULE});
    BackUpALetter(state, {"--client", kFilesClient, "--client", "Stalling client"});
    RecordedMessages messages;
    Wizard wizard(kPageRestoreSource);
    CBkRsPropSheet& sheet = wizard.sheet;
    ChooseArchive(sheet, state.path("archives"));

    // The files client's restore page is made invalid: a folder is wanted,
    // none is chosen.
    QListWidget* list = ClientList(sheet, kPageRestoreClients);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentItem()->text(), QString(kFilesClient));
    QWidget* area = Find<QWidget>(sheet.page(kPageRestoreClients), "pageArea");
    WithText<QRadioButton>(area, "Disk drive or folder")->click();

    QListWidgetItem* stalling = ClientItem(sheet, kPageRestoreClients, "Stalling client");
    const QPoint onStalling = list->visualItemRect(stalling).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onStalling);
    QCOMPARE(list->currentItem()->text(), QString(kFilesClient));
    QVERIFY(WithText<QRadioButton>(area, "Original location")->isVisible());
    QCOMPARE(messages.Take().size(), 1);  // the page said why
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageRestoreClients);
    QCOMPARE(messages.Take().size(), 1);

    WithText<QRadioButton>(area, "Original location")->click();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onStalling);
    QCOMPARE(list->currentItem(), stalling);
    stalling->setCheckState(Qt::Unchecked);
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageRestoreFinish);
    QVERIFY(Find<QPlainTextEdit>(sheet.page(kPageRestoreFinish), "summary")
                ->toPlainText()
                .contains("Data to restore:\n\tFiles and folders"));
  }

  void schedulePageShowsTheControlsOfTheChosenKind() {
    const IsolatedState state;
    engine::ScheduleRecord stored;
    stored.kind = engine::kMonthly;
    stored.monthlyMode = engine::kOrdinalWeekday;
    stored.ordinal = engine::kOrdinalLast;
    stored.weekday = 5;
    QVERIFY(engine::WriteScheduleRecord(stored).ok());
    QVERIFY(engine::WriteScheduleEnabled(true).ok());
    RecordedMessages messages;
    Wizard wizard(kPageBackupSchedule);
    CBkRsPropSheet& sheet = wizard.sheet;
    QWizardPage* page = sheet.page(kPageBackupSchedule);
    const auto shown = [page](const char* name) { return Find<QWidget>(page, name)->isVisible(); };
    const auto enabled = [page](const char* name) {
      return Find<QWidget>(page, name)->isEnabled();
    };

    QVERIFY(Find<QRadioButton>(page, "monthly")->isChecked());
    QVERIFY(shown("monthlyBox") && !shown("weeklyBox") && shown("timeOfDay"));
    QVERIFY(Find<QRadioButton>(page, "monthlyThe")->isChecked());
    QVERIFY(!enabled("dayNumber") && enabled("ordinal") && enabled("weekday"));
    QCOMPARE(Find<QComboBox>(page, "ordinal")->currentText(), QString("Last"));
    // No count stored: 30 offered, the check box clear, the count off.
    QVERIFY(!Find<QCheckBox>(page, "keepLast")->isChecked());
    QCOMPARE(Find<QSpinBox>(page, "keepCount")->value(), 30);
    QVERIFY(!enabled("keepCount"));
    Find<QCheckBox>(page, "keepLast")->setChecked(true);
    QVERIFY(enabled("keepCount"));

    Find<QRadioButton>(page, "daily")->setChecked(true);
    QVERIFY(!shown("monthlyBox") && !shown("weeklyBox") && shown("timeOfDay") && shown("keepLast"));
    Find<QRadioButton>(page, "weekly")->setChecked(true);
    QVERIFY(shown("weeklyBox") && !shown("monthlyBox"));
    Find<QCheckBox>(page, "scheduleLater")->setChecked(false);
    QVERIFY(!shown("scheduleBox") && !shown("timeOfDay"));
    Find<QCheckBox>(page, "scheduleLater")->setChecked(true);
    QVERIFY(shown("weeklyBox"));

    // A weekly schedule without a day would never run.
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageBackupSchedule);
    QCOMPARE(messages.Take().size(), 1);
    Find<QCheckBox>(page, "weekday3")->setChecked(true);
    sheet.next();
    QCOMPARE(sheet.currentId(), kPageBackupFinish);
    QCOMPARE(sheet.backupChoices().record.keepCount, 30u);
    QCOMPARE(sheet.backupChoices().record.weekdayMask, 0b0001000u);
  }

  void cancelDuringARunDiscardsTheArchive() {
    const IsolatedState state;
    const QString archives = state.path("archives"), marker = state.path("stalling");
    QDir().mkpath(archives);
    Tool({"register"});
    Tool({"register", STALL_CLIENT_MODULE});
    qputenv("BKVP_TEST_STALL_MARKER", QFile::encodeName(marker));
    RecordedMessages messages;
    Wizard wizard(kPageBackupClients);
    CBkRsPropSheet& sheet = wizard.sheet;
    ClientItem(sheet, kPageBackupClients, "Stalling client")->setCheckState(Qt::Checked);
    sheet.next();
    sheet.page(kPageBackupDestination)->findChild<PlaceChooser*>()->SelectFolder(archives);
    sheet.next();
    Find<QCheckBox>(sheet.page(kPageBackupSchedule), "runImmediately")->setChecked(true);
    sheet.next();

    // While the run works, the window answers: its buttons show the run's
    // state, the bar moves, and Cancel stops it.
    auto* progress = Find<RunProgress>(sheet.page(kPageBackupFinish), "runProgress");
    QStringList seen;
    QMetaObject::Connection watch;
    watch = connect(progress, &RunProgress::positionChanged, this, [&](int position) {
      if (!QFile::exists(marker) || position < 4000) return;
      disconnect(watch);
      if (!sheet.button(QWizard::FinishButton)->isEnabled()) seen << "finish off";
      if (!sheet.button(QWizard::BackButton)->isEnabled()) seen << "back off";
      if (Archives(archives).isEmpty()) seen << "no archive yet";
      sheet.button(QWizard::CancelButton)->click();
    });
    sheet.accept();
    qunsetenv("BKVP_TEST_STALL_MARKER");

    QCOMPARE(seen, QStringList({"finish off", "back off", "no archive yet"}));
    QCOMPARE(sheet.page(kPageBackupFinish)->title(), QString("Backup cancelled"));
    QCOMPARE(Find<QLabel>(sheet.page(kPageBackupFinish), "runResult")->text(),
             QString("The backup was cancelled."));
    sheet.accept();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(messages.Take(), QStringList());
    QCOMPARE(QDir(archives).entryList(QDir::Files), QStringList());
    QVERIFY(testing::ReadAll(QString::fromStdString(engine::LogPath()))
                .contains("The run was cancelled; the archive was discarded.\n"));
    QVERIFY(!engine::ErrorStateOn());
    QCOMPARE(engine::ReadTaskStatus(), engine::kTaskIdleOrFailed);
  }
};

}  // namespace bkvp::ui

QTEST_MAIN(bkvp::ui::WizardTest)
#include "wizard_test.moc"
