// A user's way through the program on a real display (Xvfb with a window
// manager and a tray host, started by journey.sh): the program's own
// objects on their real windows, driven with mouse and keyboard events.
// First start, a backup of a folder with a mask run at once and its result,
// the tray while the wizard is open, a restore after deleting two files with
// one overwrite declined, and a wizard cancelled after changing the list.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "app/engine/error_state.h"
#include "app/engine/program_settings.h"
#include "app/ui/commands.h"
#include "app/ui/hidden_window.h"
#include "app/ui/plain_buttons.h"
#include "app/ui/qt_ui_seams.h"
#include "app/ui/wizard/bk_rs_prop_sheet.h"
#include "app/ui/wizard/place_chooser.h"
#include "clients/files/backup_list_store.h"
#include "tests/ui/ui_test_support.h"

namespace bkvp::ui {
namespace {

using testing::IsolatedState;

using testing::Find;
using testing::WithText;

QToolButton* ToolButton(QWidget* parent, const QString& name) {
  for (QToolButton* button : parent->findChildren<QToolButton*>())
    if (button->accessibleName() == name) return button;
  qFatal("no button %s", qPrintable(name));
}

void Click(QWidget* widget) {
  QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
  // A check box or radio button takes a click on its mark.
  const bool marked = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
  QTest::mouseClick(widget, Qt::LeftButton, {},
                    marked ? QPoint(8, widget->height() / 2) : widget->rect().center());
}

void ClickButton(QWizard& wizard, QWizard::WizardButton which) { Click(wizard.button(which)); }

// Runs `open`, which opens a modal dialog of type D, and `drive` on it once
// it has shown and its own event loop runs (the dialog must end). The show
// is watched for, not guessed: a dialog that is slow to appear is still met.
template <class D>
void WithModal(const std::function<void()>& open, const std::function<void(D&)>& drive) {
  class ShowWatcher : public QObject {
   public:
    std::function<void(D&)> onShown;

   protected:
    bool eventFilter(QObject* object, QEvent* event) override {
      auto* dialog = qobject_cast<D*>(object);
      if (onShown && dialog && event->type() == QEvent::Show && dialog->isModal()) {
        QTimer::singleShot(0, dialog, [dialog, drive = std::move(onShown)] { drive(*dialog); });
        onShown = nullptr;
      }
      return false;
    }
  } watcher;
  bool driven = false;
  watcher.onShown = [&](D& dialog) {
    driven = true;
    drive(dialog);
  };
  qApp->installEventFilter(&watcher);
  open();
  qApp->removeEventFilter(&watcher);
  QVERIFY2(driven, D::staticMetaObject.className());
}

// Answers every question of the run with the button that reads `answer`.
class Answerer : public QObject {
 public:
  explicit Answerer(QString answer) : answer_(std::move(answer)) { qApp->installEventFilter(this); }
  ~Answerer() override { qApp->removeEventFilter(this); }
  QStringList questions;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(object);
    if (box && event->type() == QEvent::Show) {
      questions << box->text();
      QTimer::singleShot(0, box, [this, box] {
        for (QAbstractButton* button : box->buttons())
          if (button->text().remove('&') == answer_) return Click(button);
      });
    }
    return false;
  }

 private:
  QString answer_;
};

QTreeWidget* BackupList(QWidget* page) {
  for (QTreeWidget* tree : page->findChildren<QTreeWidget*>())
    if (tree->headerItem()->text(0) == "Path") return tree;
  qFatal("no backup list");
}

QStringList ListedPaths(QWidget* page) {
  QStringList paths;
  QTreeWidget* list = BackupList(page);
  for (int i = 0; i < list->topLevelItemCount(); ++i) paths << list->topLevelItem(i)->text(0);
  return paths;
}

}  // namespace

class JourneyTest : public QObject {
  Q_OBJECT
 private slots:
  void aUserBacksUpRestoresAndCancels() {
    QVERIFY2(qEnvironmentVariable("QT_QPA_PLATFORM") == "xcb", "run by journey.sh");
    const IsolatedState state;
    QVERIFY(testing::RunBuilt("bkvp", {"register"}).exitCode == 0);
    const QString source = state.path("Documents"), archives = state.path("Backups");
    QDir().mkpath(source + "/letters");
    QDir().mkpath(archives);
    testing::WriteAll(source + "/letters/ada.txt", "Dear Ada,\n");
    testing::WriteAll(source + "/letters/bob.txt", "Dear Bob,\n");
    testing::WriteAll(source + "/notes.txt", "notes\n");
    testing::WriteAll(source + "/photo.raw", "not a text");
    const QtUiSeams seams;
    UsePlainButtons();

    // First start: the tray icon and the wizard's start page.
    HiddenWindow window(HiddenWindow::Timing{});
    window.Create();
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    window.PostOpenWizard(kPageStart);
    QTRY_VERIFY(window.wizard() && window.wizard()->isVisible());
    CBkRsPropSheet* sheet = window.wizard();
    QVERIFY(QTest::qWaitForWindowExposed(sheet));

    // The backup: the files client, the folder added with its button and
    // given a mask, the destination folder, "Run immediately".
    Click(Find<QToolButton>(sheet->page(kPageStart), "backup"));
    QCOMPARE(sheet->currentId(), kPageBackupClients);
    QWidget* clients = sheet->page(kPageBackupClients);
    auto* clientList = Find<QListWidget>(clients, "clientList");
    QListWidgetItem* files = clientList->findItems("Files and folders", Qt::MatchExactly).value(0);
    QVERIFY(files);
    QTest::mouseClick(clientList->viewport(), Qt::LeftButton, {},
                      clientList->visualItemRect(files).center());
    QTest::keyClick(clientList, Qt::Key_Space);
    QCOMPARE(files->checkState(), Qt::Checked);
    WithModal<QFileDialog>([&] { Click(ToolButton(clients, "Add folder...")); },
                           [&](QFileDialog& dialog) {
                             dialog.selectFile(source);
                             QTest::keyClick(&dialog, Qt::Key_Return);
                           });
    QCOMPARE(ListedPaths(clients), QStringList{source});
    QTreeWidget* list = BackupList(clients);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    WithModal<QDialog>([&] { Click(ToolButton(clients, "Properties")); },
                       [&](QDialog& properties) {
                         QTreeWidget* include = properties.findChildren<QTreeWidget*>()[0];
                         include->topLevelItem(0)->setSelected(true);
                         Click(properties.findChildren<QToolButton*>()[2]);  // "*.*" goes
                         WithModal<QDialog>(
                             [&] { Click(properties.findChildren<QToolButton*>()[0]); },
                             [&](QDialog& mask) {
                               QTest::keyClicks(mask.findChild<QLineEdit*>(), "*.txt");
                               QTest::keyClick(&mask, Qt::Key_Return);
                             });
                         Click(WithText<QPushButton>(&properties, "OK"));
                       });
    QCOMPARE(list->topLevelItem(0)->text(1), QString("*.txt"));
    ClickButton(*sheet, QWizard::NextButton);
    QCOMPARE(sheet->currentId(), kPageBackupDestination);
    auto* chooser = sheet->page(kPageBackupDestination)->findChild<PlaceChooser*>();
    Click(Find<QWidget>(chooser, "folderMode"));
    QVERIFY(chooser->SelectFolder(archives));
    ClickButton(*sheet, QWizard::NextButton);
    auto* runNow = Find<QCheckBox>(sheet->page(kPageBackupSchedule), "runImmediately");
    Click(runNow);
    QVERIFY(runNow->isChecked());
    ClickButton(*sheet, QWizard::NextButton);
    QCOMPARE(sheet->currentId(), kPageBackupFinish);
    ClickButton(*sheet, QWizard::FinishButton);

    // Success is said on the page, and the wizard stays until closed.
    QWizardPage* finish = sheet->page(kPageBackupFinish);
    QTRY_COMPARE(finish->title(), QString("Backup completed"));
    const QString saved = Find<QLabel>(finish, "runResult")->text();
    QVERIFY2(saved.startsWith("Saved 3 items (26 B) into " + archives + "/VOPALARC"),
             qPrintable(saved));
    QVERIFY(!window.errorShown());

    // The tray lives beside the open wizard: its menu shows what may be
    // done, and asking for the wizard brings the minimised one back.
    CTrayIcon& tray = window.tray();
    tray.menu()->popup(QPoint(200, 200));
    QTRY_VERIFY(tray.menu()->isVisible());
    QVERIFY(!tray.action(kCommandBackUpNow)->isEnabled());
    QVERIFY(!tray.action(kCommandExit)->isEnabled());
    QVERIFY(tray.action(kCommandStepByStep)->isEnabled());
    QTest::keyClick(tray.menu(), Qt::Key_Escape);
    sheet->showMinimized();
    QTRY_VERIFY(sheet->isMinimized());
    window.PostCommand(kCommandStepByStep);
    QTRY_VERIFY(!sheet->isMinimized());
    QCOMPARE(window.wizard(), sheet);
    ClickButton(*sheet, QWizard::FinishButton);  // "Close"
    QTRY_VERIFY(!window.wizardOpen());

    // Two files deleted, one changed: the restore brings the two back and
    // keeps the changed one as the user says.
    QFile::remove(source + "/letters/ada.txt");
    QFile::remove(source + "/notes.txt");
    testing::WriteAll(source + "/letters/bob.txt", "Dear Bob, again\n");
    window.PostCommand(kCommandRestoreNow);
    QTRY_VERIFY(window.wizard() && window.wizard()->isVisible());
    sheet = window.wizard();
    QCOMPARE(sheet->currentId(), kPageRestoreSource);
    auto* archiveList = Find<QTreeWidget>(sheet->page(kPageRestoreSource), "archiveList");
    QCOMPARE(archiveList->topLevelItemCount(), 1);
    QCOMPARE(archiveList->currentItem(), archiveList->topLevelItem(0));
    ClickButton(*sheet, QWizard::NextButton);
    QCOMPARE(sheet->currentId(), kPageRestoreClients);
    ClickButton(*sheet, QWizard::NextButton);
    QCOMPARE(sheet->currentId(), kPageRestoreFinish);
    QWizardPage* restoreFinish = sheet->page(kPageRestoreFinish);
    QCOMPARE(restoreFinish->title(), QString("Congratulation, wizard completed successfully"));
    {
      Answerer no("No");
      ClickButton(*sheet, QWizard::FinishButton);
      QTRY_VERIFY(restoreFinish->title() != "Restoring...");
      QCOMPARE(no.questions.size(), 1);
      QVERIFY2(no.questions[0].contains(source + "/letters/bob.txt"), qPrintable(no.questions[0]));
    }
    QCOMPARE(testing::ReadAll(source + "/letters/ada.txt"), QByteArray("Dear Ada,\n"));
    QCOMPARE(testing::ReadAll(source + "/notes.txt"), QByteArray("notes\n"));
    QCOMPARE(testing::ReadAll(source + "/letters/bob.txt"), QByteArray("Dear Bob, again\n"));
    const QString restored = Find<QLabel>(restoreFinish, "runResult")->text();
    QVERIFY2(restored.startsWith("Restored 2 items (16 B) from " + archives + "/VOPALARC"),
             qPrintable(restored));
    // The declined file raises an alarm exactly when the run counts it as
    // failed rather than kept.
    QCOMPARE(window.errorShown(), restored.contains("not restored"));
    QCOMPARE(restoreFinish->title(), window.errorShown()
                                         ? QString("Restore completed with failures")
                                         : QString("Restore completed"));
    ClickButton(*sheet, QWizard::FinishButton);
    QTRY_VERIFY(!window.wizardOpen());
    engine::SetErrorState(false);

    // The list emptied and /root added, then Cancel: the stored list, and so
    // what scheduled backups save, stays as it was.
    const size_t stored = files::ReadBackupList().size();
    window.PostCommand(kCommandBackUpNow);
    QTRY_VERIFY(window.wizard() && window.wizard()->isVisible());
    sheet = window.wizard();
    clients = sheet->page(kPageBackupClients);
    list = BackupList(clients);
    QCOMPARE(ListedPaths(clients), QStringList{source});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    QTest::keyClick(list, Qt::Key_Delete);
    WithModal<QFileDialog>([&] { Click(ToolButton(clients, "Add folder...")); },
                           [&](QFileDialog& dialog) {
                             dialog.selectFile(state.path("config"));
                             QTest::keyClick(&dialog, Qt::Key_Return);
                           });
    QCOMPARE(ListedPaths(clients), QStringList{state.path("config")});
    ClickButton(*sheet, QWizard::NextButton);
    QCOMPARE(sheet->currentId(), kPageBackupDestination);
    ClickButton(*sheet, QWizard::CancelButton);
    QTRY_VERIFY(!window.wizardOpen());
    QCOMPARE(files::ReadBackupList().size(), stored);
    QCOMPARE(QString::fromStdString(files::EntryPath(files::ReadBackupList().at(0))), source);
  }
};

}  // namespace bkvp::ui

QTEST_MAIN(bkvp::ui::JourneyTest)
#include "journey_test.moc"
