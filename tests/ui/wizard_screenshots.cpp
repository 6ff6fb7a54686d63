// wizard_screenshots OUTDIR: walks the real wizard through both branches
// with the real modules registered in a temporary state folder and a sample
// home folder, and saves every page as wizard-<page>-<what it shows>.png.
// Uses the display it finds (scripts/screenshots runs it under xvfb-run).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QRadioButton>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "app/engine/archive_files.h"
#include "app/engine/program_settings.h"
#include "app/ui/commands.h"
#include "app/ui/icon_theme.h"
#include "app/ui/plain_buttons.h"
#include "app/ui/qt_ui_seams.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/choose_files_dialog.h"
#include "app/ui/wizard/place_chooser.h"
#include "clients/files/files_identity.h"
#include "tests/ui/ui_test_support.h"

namespace bkvp::ui {
namespace {

class Shots {
 public:
  explicit Shots(QString folder) : folder_(std::move(folder)) {}

  // Lets the page settle (folder trees fill in the background) and saves it.
  void Save(QWidget& window, const QString& name) {
    Settle(400);
    const QString path = folder_ + "/" + name + ".png";
    if (!window.grab().save(path)) {
      std::fprintf(stderr, "wizard_screenshots: cannot write %s\n", qPrintable(path));
      failed_ = true;
    }
  }
  static void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(10);
    }
  }
  bool failed() const { return failed_; }

 private:
  QString folder_;
  bool failed_ = false;
};

void Tool(const QStringList& arguments) {
  const testing::ToolResult result = testing::RunBuilt("bkvp", arguments);
  if (result.exitCode != 0)
    std::fprintf(stderr, "wizard_screenshots: bkvp %s: %s\n", qPrintable(arguments.join(' ')),
                 result.output.constData());
}

// A home folder with a few documents, a backup folder and the files client's list.
QString MakeSampleHome(const testing::IsolatedState& state) {
  const QString home = state.path("ada");
  for (const char* folder :
       {"Documents/Letters", "Documents/Taxes", "Pictures/Holiday", "Music", "Backups"})
    QDir().mkpath(home + "/" + folder);
  testing::WriteAll(home + "/Documents/Letters/to-bank.odt", "Dear Sir or Madam,\n");
  testing::WriteAll(home + "/Documents/Taxes/2024.pdf", "%PDF-1.4\n");
  testing::WriteAll(home + "/Pictures/Holiday/beach.jpg", "not really a picture");
  qputenv("HOME", QFile::encodeName(home));
  Tool({"register"});
  Tool({"files", "add", home + "/Documents", "--include", "*.odt | *.pdf"});
  Tool({"files", "add", home + "/Pictures"});
  return home;
}

template <class W>
W* Child(QWidget& sheet, const char* name) {
  return sheet.findChild<W*>(name);
}

void BackupBranch(Shots& shots, const QString& home) {
  engine::ProgramSettings settings = engine::ProgramSettings::Load(std::time(nullptr));
  CBkRsPropSheet sheet(settings);
  sheet.show();
  shots.Save(sheet, "wizard-0-start");
  Child<QAbstractButton>(*sheet.page(kPageStart), "backup")->click();
  Child<QListWidget>(*sheet.page(kPageBackupClients), "clientList")
      ->item(0)
      ->setCheckState(Qt::Checked);
  shots.Save(sheet, "wizard-1-clients");
  sheet.next();
  auto* chooser = sheet.page(kPageBackupDestination)->findChild<PlaceChooser*>();
  chooser->SelectVolume("/");
  shots.Save(sheet, "wizard-2-destination-drive");
  chooser->SelectFolder(home + "/Backups");
  shots.Save(sheet, "wizard-2-destination-folder");
  sheet.next();

  QWizardPage* schedule = sheet.page(kPageBackupSchedule);
  shots.Save(sheet, "wizard-3-schedule-off");
  Child<QCheckBox>(*schedule, "runImmediately")->setChecked(true);
  Child<QCheckBox>(*schedule, "scheduleLater")->setChecked(true);
  Child<QTimeEdit>(*schedule, "timeOfDay")->setTime(QTime(22, 30));
  Child<QCheckBox>(*schedule, "keepLast")->setChecked(true);
  Child<QRadioButton>(*schedule, "daily")->setChecked(true);
  shots.Save(sheet, "wizard-3-schedule-daily");
  Child<QRadioButton>(*schedule, "monthly")->setChecked(true);
  Child<QRadioButton>(*schedule, "monthlyThe")->setChecked(true);
  shots.Save(sheet, "wizard-3-schedule-monthly");
  Child<QRadioButton>(*schedule, "weekly")->setChecked(true);
  for (const char* day : {"weekday1", "weekday5"})
    Child<QCheckBox>(*schedule, day)->setChecked(true);
  shots.Save(sheet, "wizard-3-schedule-weekly");
  sheet.next();
  shots.Save(sheet, "wizard-4-finish");
  // Finish runs the backup at once; the page then shows how it ended.
  sheet.button(QWizard::FinishButton)->click();
  shots.Save(sheet, "wizard-4-finish-result");
}

// The finish page while a run works: a client that stalls until Cancel.
void RunningBackup(Shots& shots, const testing::IsolatedState& state, const QString& home) {
  Tool({"register", QString(STALL_CLIENT_MODULE)});
  qputenv("BKVP_TEST_STALL_MARKER", QFile::encodeName(state.path("stalling")));
  engine::ProgramSettings settings = engine::ProgramSettings::Load(std::time(nullptr));
  CBkRsPropSheet sheet(settings);
  sheet.setStartId(kPageBackupClients);
  sheet.show();
  auto* clients = Child<QListWidget>(*sheet.page(kPageBackupClients), "clientList");
  for (int i = 0; i < clients->count(); ++i) clients->item(i)->setCheckState(Qt::Checked);
  sheet.next();
  sheet.page(kPageBackupDestination)->findChild<PlaceChooser*>()->SelectFolder(home + "/Backups");
  sheet.next();
  Child<QCheckBox>(*sheet.page(kPageBackupSchedule), "runImmediately")->setChecked(true);
  Child<QCheckBox>(*sheet.page(kPageBackupSchedule), "scheduleLater")->setChecked(false);
  sheet.next();
  QTimer::singleShot(1500, &sheet, [&] {
    shots.Save(sheet, "wizard-4-finish-running");
    sheet.reject();  // Cancel: the run stops and discards its archive
  });
  sheet.accept();
  qunsetenv("BKVP_TEST_STALL_MARKER");
}

void RestoreBranch(Shots& shots, const QString& home) {
  Tool({"backup", "--to", home + "/Backups", "--client", "Files and folders", "--label",
        "Documents and pictures"});
  engine::ProgramSettings settings = engine::ProgramSettings::Load(std::time(nullptr));
  CBkRsPropSheet sheet(settings);
  sheet.setStartId(kPageRestoreSource);
  sheet.show();
  QWizardPage* source = sheet.page(kPageRestoreSource);
  auto* chooser = source->findChild<PlaceChooser*>();
  chooser->SelectFolder(home + "/Documents");
  shots.Save(sheet, "wizard-5-source-none-found");
  chooser->SelectFolder(home + "/Backups");
  auto* archives = Child<QTreeWidget>(*source, "archiveList");
  archives->setCurrentItem(archives->topLevelItem(0));
  shots.Save(sheet, "wizard-5-source-archive");
  sheet.next();
  shots.Save(sheet, "wizard-6-clients");
  std::vector<engine::ArchivedFile> files;
  if (const Status listed = engine::ListArchivedFiles(sheet.selectedArchiveFile(),
                                                      files::kFilesServiceClsid, {}, files);
      !listed.ok())
    std::fprintf(stderr, "wizard_screenshots: %s\n", listed.message().c_str());
  ChooseFilesDialog choose(files, {}, &sheet);
  choose.show();
  shots.Save(choose, "wizard-6-choose-files");
  choose.close();
  sheet.next();
  shots.Save(sheet, "wizard-7-finish");
}

}  // namespace
}  // namespace bkvp::ui

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wizard_screenshots OUTDIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  bkvp::ui::UseIconThemeFallback();
  bkvp::ui::UsePlainButtons();  // as the program does
  const bkvp::ui::QtUiSeams seams;
  const bkvp::testing::IsolatedState state;
  QDir().mkpath(argv[1]);
  bkvp::ui::Shots shots(QDir(argv[1]).absolutePath());
  const QString home = bkvp::ui::MakeSampleHome(state);
  bkvp::ui::BackupBranch(shots, home);
  bkvp::ui::RunningBackup(shots, state, home);
  bkvp::ui::RestoreBranch(shots, home);
  return shots.failed() ? 1 : 0;
}
