// files_pages_screenshots OUTDIR: renders the files client's pages and
// dialogs with a few entries and saves them as PNG files, for the project's
// screenshots. Uses the display it finds (under xvfb-run, say), else renders
// offscreen; its registry lives in a temporary BKVP_HOME.
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>

#include "clients/files/backup_list_store.h"
#include "clients/files/pages/backup_list_page.h"
#include "clients/files/pages/file_properties_dialog.h"
#include "clients/files/pages/folder_properties_dialog.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/mask_input_dialog.h"
#include "clients/files/pages/restore_page.h"

namespace bkvp::files::pages {
namespace {

// Without a desktop session Qt knows no icon theme; the installed one makes
// the pictures look as they do on a desktop.
void UseInstalledIconTheme() {
  if (!QIcon::themeName().isEmpty() && QIcon::themeName() != "hicolor") return;
  QStringList paths = QIcon::themeSearchPaths();
  paths << "/usr/share/icons";
  QIcon::setThemeSearchPaths(paths);
  for (const char* theme : {"Adwaita", "hicolor"}) {
    if (QDir("/usr/share/icons/" + QString(theme)).exists()) {
      QIcon::setThemeName(theme);
      return;
    }
  }
}

class Shots {
 public:
  explicit Shots(QString folder) : folder_(std::move(folder)) {}

  // Shows the widget at its size, lets it settle and saves it.
  void Save(QWidget& widget, const QString& name) {
    widget.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QString path = folder_ + "/" + name;
    if (!widget.grab().save(path)) {
      std::fprintf(stderr, "files_pages_screenshots: cannot write %s\n", qPrintable(path));
      failed_ = true;
    }
    widget.hide();
  }
  bool failed() const { return failed_; }

 private:
  QString folder_;
  bool failed_ = false;
};

// A page as the wizard hosts it: inside a window with the wizard's margins.
template <class Page>
Page& InFrame(QWidget& frame, QSize size) {
  auto* page = new Page(&frame);
  auto* layout = new QVBoxLayout(&frame);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(page);
  frame.resize(size);
  return *page;
}

std::string Home(const char* relative) { return (QDir::homePath() + "/" + relative).toStdString(); }

FolderEntry Documents() {
  FolderEntry entry{Home("Documents")};
  entry.includeMasks = "*.odt | *.txt | *.pdf";
  entry.includeRule = {kRuleLastWeeks, 2};
  entry.excludeMasks = "~*.* | *.bak";
  entry.excludeRule = {kRuleBefore, -1, {2003, 3, 7}};
  return entry;
}

int Run(const QString& folder) {
  Shots shots(folder);
  WriteBackupList({Documents(), FolderEntry{Home("Pictures")},
                   FileEntry{Home("notes.txt"), {kRuleLastDays, 3}}, FileEntry{Home(".bashrc")}});

  QWidget backupFrame;
  auto& backup = InFrame<BackupListPage>(backupFrame, {720, 420});
  backup.LoadSettings();
  auto* folders = backup.findChild<FolderTree*>();
  if (folders->SelectPath(QDir::homePath())) folders->currentItem()->setExpanded(true);
  shots.Save(backupFrame, "files-page-backup.png");

  FolderEntry documents = Documents();
  FolderPropertiesDialog folderDialog(documents, nullptr);
  shots.Save(folderDialog, "files-dialog-118.png");

  MaskInputDialog maskBox(nullptr, false, MaskSide::kInclude, "",
                          [](const QString&, bool) { return true; });
  maskBox.findChild<QLineEdit*>()->setText("*.ods");
  shots.Save(maskBox, "files-dialog-119.png");

  FileEntry notes{Home("notes.txt"), {kRuleAfter, -1, {2003, 3, 7}}};
  FilePropertiesDialog fileDialog(notes, nullptr);
  shots.Save(fileDialog, "files-dialog-120.png");

  QWidget originalFrame;
  InFrame<RestorePage>(originalFrame, {560, 380});
  shots.Save(originalFrame, "files-page-restore-original.png");

  QWidget folderFrame;
  auto& restore = InFrame<RestorePage>(folderFrame, {560, 380});
  for (QRadioButton* choice : restore.findChildren<QRadioButton*>())
    if (choice->text() == "Disk drive or folder") choice->setChecked(true);
  restore.findChild<QCheckBox*>()->setChecked(true);
  restore.findChild<FolderTree*>()->SelectPath(QDir::homePath());
  shots.Save(folderFrame, "files-page-restore-folder.png");
  return shots.failed() ? 1 : 0;
}

}  // namespace
}  // namespace bkvp::files::pages

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: files_pages_screenshots OUTDIR\n");
    return 2;
  }
  const bool display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !display)
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // The entries shown live in a registry of their own, removed afterwards.
  char home[] = "/tmp/bkvp-shots-XXXXXX";
  if (!mkdtemp(home)) return 1;
  setenv("BKVP_HOME", home, 1);
  QApplication app(argc, argv);
  bkvp::files::pages::UseInstalledIconTheme();
  QDir().mkpath(argv[1]);
  const int status = bkvp::files::pages::Run(QDir(argv[1]).absolutePath());
  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return status;
}
