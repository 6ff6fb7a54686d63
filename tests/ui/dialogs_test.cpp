// The program's dialogs as the UI seams show them: the close countdown,
// dialog 189 and the styled message box, driven as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/ui/client_error_dialog.h"
#include "app/ui/close_countdown_dialog.h"
#include "app/ui/qt_ui_seams.h"
#include "app/ui/styled_message_box.h"
#include "clients/common/close_countdown.h"
#include "platform/ui.h"

namespace bkvp::ui {
namespace seam = platform::ui;

namespace {

// Runs `act` on the modal dialog that opens next, from inside its loop.
void WhenModalShows(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    act(QApplication::activeModalWidget());
  });
}

void Click(QWidget* dialog, const QString& buttonName) {
  auto* button = dialog->findChild<QAbstractButton*>(buttonName);
  QVERIFY2(button, qPrintable(buttonName));
  button->click();
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void countdownRunsOutWithOkAndCountsDown() {
    // Ten 100 ms ticks for one second: the same arithmetic as 12 ticks of 5 s.
    platform::ui::CountdownRequest request = clients::MakeCountdownRequest("Outlook");
    request.seconds = 1;
    request.tickMilliseconds = 100;
    CloseCountdownDialog dialog(request);
    QCOMPARE(dialog.findChild<QLabel*>("seconds")->text(), QString("1"));
    QElapsedTimer clock;
    clock.start();
    dialog.exec();
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(dialog.answer(), seam::IDOK);
    QCOMPARE(dialog.findChild<QLabel*>("seconds")->text(), QString("0"));
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    QVERIFY(texts.contains("One or more instances of Outlook are currently running."));
    QVERIFY(texts.contains("Outlook will be automatically closed in"));
    QVERIFY(texts.contains("seconds."));
  }

  void countdownCancelAndCloseAnswerCancel() {
    const QtUiSeams seams;  // the countdown through the platform seam
    const platform::ui::CountdownRequest request = clients::MakeCountdownRequest("Netscape");
    WhenModalShows([](QWidget* dialog) {
      auto buttons = dialog->findChildren<QPushButton*>();
      for (QPushButton* b : buttons)
        if (b->text().contains("Cancel")) b->click();
    });
    QCOMPARE(seam::CloseCountdown(request), seam::IDCANCEL);
    WhenModalShows([](QWidget* dialog) { dialog->close(); });
    QCOMPARE(seam::CloseCountdown(request), seam::IDCANCEL);
    WhenModalShows([](QWidget* dialog) {
      for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text().contains("OK")) b->click();
    });
    QCOMPARE(seam::CloseCountdown(request), seam::IDOK);
  }

  void clientErrorAnswersAreTheButtonIdentifiers() {
    const struct {
      const char* button;
      int answer;
    } kCases[] = {{"retry", seam::IDRETRY},
                  {"ignore", seam::IDIGNORE},
                  {"cancel", seam::IDCANCEL},
                  {"abort", seam::IDABORT}};
    for (const auto& c : kCases) {
      WhenModalShows([&](QWidget* dialog) { Click(dialog, c.button); });
      QCOMPARE(ClientErrorDialog::Ask("Cannot read /data/a.txt", 1), c.answer);
    }
    // Escape is Cancel; the client's default button is the dialog's default.
    ClientErrorDialog dialog("Cannot read /data/a.txt", 3);
    QVERIFY(dialog.findChild<QPushButton*>("abort")->isDefault());
    QCOMPARE(dialog.windowTitle(), QString("Backup Vopal"));
    QCOMPARE(dialog.findChild<QPushButton*>("retry")->text(), QString("&Retry"));
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    dialog.exec();
    QCOMPARE(dialog.answer(), seam::IDCANCEL);
  }

  void messageBoxStyleChoosesButtonsIconAndDefault() {
    const QtUiSeams seams;
    // 0x133: exclamation, Yes/No/Cancel, the second button (No) preselected.
    StyledMessageBox box("Overwrite?", "Backup Vopal", 0x133);
    QCOMPARE(box.icon(), QMessageBox::Warning);
    QCOMPARE(box.buttons().size(), 3);
    QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
    QCOMPARE(box.windowTitle(), QString("Backup Vopal"));

    WhenModalShows([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    QCOMPARE(seam::MessageBox("Overwrite?", "Backup Vopal", 0x133), seam::IDNO);
    WhenModalShows([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QCOMPARE(seam::MessageBox("Disk full", "Backup Vopal", 0x111), seam::IDCANCEL);
    WhenModalShows([](QWidget* dialog) {
      static_cast<QMessageBox*>(dialog)->button(QMessageBox::Retry)->click();
    });
    QCOMPARE(seam::MessageBox("Locked", "Backup Vopal", seam::MB_ABORTRETRYIGNORE), seam::IDRETRY);
    WhenModalShows([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QCOMPARE(seam::MessageBox("Done", "Backup Vopal", seam::MB_OK | seam::MB_ICONSTOP), seam::IDOK);
  }
};

}  // namespace bkvp::ui

QTEST_MAIN(bkvp::ui::DialogsTest)
#include "dialogs_test.moc"
