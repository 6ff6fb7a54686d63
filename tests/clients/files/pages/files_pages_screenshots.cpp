// files_pages_screenshots OUTDIR: renders the files client's pages and
// dialogs with a few entries and saves them as PNG files, for the project's
// screenshots. Uses the display it finds (under xvfb-run, say), else renders
// offscreen; its registry lives in a temporary BKVP_HOME.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>

#include "clients/files/backup_list_store.h"
#include "clients/files/pages/backup_list_page.h"
#include "clients/files/pages/file_properties_dialog.h"
#include "clients/files/pages/folder_properties_dialog.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/mask_input_dialog.h"
#include "clients/files/pages/restore_page.h"
#include "tests/clients/common/pages/page_shots.h"

namespace bkvp::files::pages {
namespace {

using bkvp::testing::InFrame;

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
  bkvp::testing::Shots shots("files_pages_screenshots", folder);
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
  return bkvp::testing::RunScreenshotProgram(argc, argv, bkvp::files::pages::Run);
}
