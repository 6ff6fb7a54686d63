// The backup list page: entries put on the list by dropping and from the
// tree's menu, their column texts, the buttons, menus and Delete key, and a
// round trip through the registry to the service's backup and back into a
// new page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include "clients/common/pages/page_control.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "clients/files/pages/backup_list_page.h"
#include "clients/files/pages/backup_list_view.h"
#include "clients/files/pages/file_properties_dialog.h"
#include "clients/files/pages/folder_properties_dialog.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/mask_input_dialog.h"
#include "contract/component.h"
#include "platform/registry.h"
#include "tests/clients/common/archive_harness.h"
#include "tests/clients/common/pages/page_test_support.h"
#include "tests/support/test_support.h"

namespace bkvp::files::pages {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;
using testing::WithModal;
using Rows = std::vector<std::vector<std::string>>;

// A backup page made by its page object, as the program makes it.
class BackupPage : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    window.resize(700, 400);
    page = Create();
  }

  ComPtr<IBkVpAxBackup> Create() {
    auto control = ComPtr<IBkVpAxBackup>::Attach(
        static_cast<IBkVpAxBackup*>(bkvp::pages::CreatePage<IBkVpAxBackup, BackupListPage>()));
    auto site = control.As<IBkVpControlSite>();
    EXPECT_EQ(site->CreateControl(&window, 0, 0, 700, 400, 108), S_OK);
    site->ShowControl();
    EXPECT_EQ(control->PersistSettings(0), S_OK);
    return control;
  }
  // The newest page's widgets.
  BackupListPage& Page() { return *window.findChildren<BackupListPage*>().back(); }
  BackupListView& List() { return *Page().findChild<BackupListView*>(); }
  QToolButton* Button(const QString& name) {
    for (QToolButton* button : Page().findChildren<QToolButton*>())
      if (button->accessibleName() == name) return button;
    return nullptr;
  }
  Rows ListRows() {
    Rows rows;
    for (int i = 0; i < List().topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = List().topLevelItem(i);
      rows.push_back(
          {item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString()});
    }
    return rows;
  }
  void Drop(const QList<QUrl>& urls, bool expectAccepted = true) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = List().viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(List().viewport(), &enter);
    EXPECT_EQ(enter.isAccepted(), expectAccepted);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(List().viewport(), &drop);
  }
  void Select(std::initializer_list<int> rows) {
    List().clearSelection();
    for (int row : rows) List().topLevelItem(row)->setSelected(true);
  }
  // Opens the context menu of `view` at `position` and hands it to `use`,
  // which must close it.
  void WithMenu(QAbstractScrollArea* view, QPoint position,
                const std::function<void(QMenu&)>& use) {
    bool shown = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        shown = true;
        use(*menu);
      }
    });
    emit view->customContextMenuRequested(position);
    EXPECT_TRUE(shown);
  }
  static QAction* Action(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions())
      if (action->text() == text) return action;
    return nullptr;
  }
  static void Choose(QMenu& menu, QAction* action) {
    menu.setActiveAction(action);
    QTest::keyClick(&menu, Qt::Key_Return);
  }

  // Types a mask into the box that the side's add button opens.
  static void AddMask(QDialog& dialog, int side, const QString& text) {
    WithModal<MaskInputDialog>([&] { dialog.findChildren<QToolButton*>()[side * 4]->click(); },
                               [&](MaskInputDialog& box) {
                                 box.findChild<QLineEdit*>()->setText(text);
                                 box.accept();
                               });
  }

  QWidget window;
  ComPtr<IBkVpAxBackup> page;
  TempDir tree;
};

TEST_F(BackupPage, TheAddButtonsPutAChosenFolderAndFileOnTheList) {
  WriteFile(tree / "docs/a.txt", "a");
  WriteFile(tree / "notes.txt", "n");
  EXPECT_EQ(ListRows(), Rows{});
  const auto choose = [](const std::filesystem::path& path) {
    return [path](QFileDialog& dialog) {
      dialog.selectFile(QString::fromStdString(path));
      static_cast<QDialog&>(dialog).accept();
    };
  };
  WithModal<QFileDialog>([&] { Button("Add folder...")->click(); }, choose(tree / "docs"));
  WithModal<QFileDialog>([&] { Button("Add file...")->click(); }, choose(tree / "notes.txt"));
  EXPECT_EQ(ListRows(),
            (Rows{{tree / "docs", "*.*", ""}, {tree / "notes.txt", "Backup allways", "[none]"}}));
  // A path that is there already is not added twice.
  bkvp::testing::ScriptedMessageBoxes boxes;
  WithModal<QFileDialog>([&] { Button("Add folder...")->click(); }, choose(tree / "docs"));
  EXPECT_EQ(ListRows().size(), 2u);
  EXPECT_EQ(boxes.shown.size(), 1u);
  // Cancelled: nothing.
  WithModal<QFileDialog>([&] { Button("Add file...")->click(); },
                         [](QFileDialog& dialog) { static_cast<QDialog&>(dialog).reject(); });
  EXPECT_EQ(ListRows().size(), 2u);
}

TEST_F(BackupPage, DroppedFoldersAndFilesGetDefaultSettingsAndTheirTexts) {
  WriteFile(tree / "docs/a.txt", "a");
  WriteFile(tree / "notes.txt", "n");
  Drop({QUrl::fromLocalFile(QString::fromStdString(tree / "docs")),
        QUrl("https://example.org/page.html"),
        QUrl::fromLocalFile(QString::fromStdString(tree / "notes.txt"))});
  Drop({QUrl("https://example.org/only.html")}, false);
  EXPECT_EQ(ListRows(),
            (Rows{{tree / "docs", "*.*", ""}, {tree / "notes.txt", "Backup allways", "[none]"}}));
  const QTreeWidgetItem* header = List().headerItem();
  EXPECT_EQ(header->text(0), "Path");
  EXPECT_EQ(header->text(1), "Include Mask");
  EXPECT_EQ(header->text(2), "Exclude Mask");

  // Closed with OK after a change, a file still backed up always reads "Backup Allways".
  Select({1});
  WithModal<FilePropertiesDialog>([&] { Button("Properties")->click(); },
                                  [](FilePropertiesDialog& d) {
                                    d.findChildren<QRadioButton*>().at(1)->click();
                                    d.findChildren<QRadioButton*>().at(0)->click();
                                    d.accept();
                                  });
  EXPECT_EQ(ListRows()[1][1], "Backup Allways");
}

TEST_F(BackupPage, FolderPropertiesRebuildTheColumnTexts) {
  Page().AddPath(QString::fromStdString(tree.path()));
  Select({0});
  WithModal<FolderPropertiesDialog>(
      [&] { Button("Properties")->click(); },
      [](FolderPropertiesDialog& d) {
        d.findChildren<QCheckBox*>().at(1)->click();         // include: by date, Today
        d.findChildren<QCheckBox*>().at(2)->click();         // exclude: by date
        d.findChildren<QRadioButton*>().at(6 + 2)->click();  // for last week(s): 1
        d.accept();
      });
  EXPECT_EQ(ListRows()[0], (std::vector<std::string>{tree.path(), "*.* modified today",
                                                     "modified for last 1 week"}));
}

TEST_F(BackupPage, ButtonsDeleteKeyAndListMenuFollowTheSelection) {
  for (const char* name : {"a", "b", "c"}) Page().AddPath(QString::fromStdString(tree / name));
  EXPECT_FALSE(Button("Properties")->isEnabled());
  EXPECT_FALSE(Button("Delete")->isEnabled());
  Select({0});
  EXPECT_TRUE(Button("Properties")->isEnabled());
  EXPECT_TRUE(Button("Delete")->isEnabled());
  Select({0, 2});
  EXPECT_FALSE(Button("Properties")->isEnabled());
  EXPECT_TRUE(Button("Delete")->isEnabled());

  const QPoint onFirst = List().visualItemRect(List().topLevelItem(0)).center();
  WithMenu(&List(), onFirst, [&](QMenu& menu) {
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_TRUE(menu.actions()[1]->isSeparator());
    EXPECT_FALSE(Action(menu, "Properties")->isEnabled());
    Choose(menu, Action(menu, "Delete"));
  });
  EXPECT_EQ(ListRows(), (Rows{{tree / "b", "Backup allways", "[none]"}}));

  Select({0});
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_TRUE(ListRows().empty());
  EXPECT_FALSE(Button("Delete")->isEnabled());
}

TEST_F(BackupPage, TreeMenuAddsAFolderThatIsNotListedYet) {
  auto& folders = *Page().findChild<FolderTree*>();
  ASSERT_TRUE(folders.SelectPath(QString::fromStdString(tree.path())));
  const QPoint onNode = folders.visualItemRect(folders.currentItem()).center();
  auto useMenu = [&](bool expectEnabled) {
    WithMenu(&folders, onNode, [&](QMenu& menu) {
      ASSERT_EQ(menu.actions().size(), 2);
      EXPECT_EQ(menu.actions()[1]->text(), "Explore");
      QAction* add = Action(menu, "Add to the Backup List");
      ASSERT_TRUE(add);
      EXPECT_EQ(add->isEnabled(), expectEnabled);
      if (expectEnabled)
        Choose(menu, add);
      else
        menu.close();
    });
  };
  Page().AddPath(QString::fromStdString(tree.path() + "/"));  // the same folder
  useMenu(false);
  Select({0});
  QTest::keyClick(&List(), Qt::Key_Delete);
  useMenu(true);
  EXPECT_EQ(ListRows(), (Rows{{tree.path(), "*.*", ""}}));
}

TEST_F(BackupPage, ListRoundTripsThroughTheServiceBackupIntoANewPage) {
  const std::string bin = bkvp::testing::BinDir();
  if (!std::filesystem::exists(bin + "/BkVpFiles.so")) GTEST_SKIP() << "BkVpFiles is not built";
  bkvp::testing::RegisterArchiveService();
  ASSERT_EQ(RegisterModuleFile(bin + "/BkVpFiles.so"), S_OK) << LastComponentError();
  WriteFile(tree / "data/a.txt", "a");
  WriteFile(tree / "data/b.doc", "b");
  WriteFile(tree / "data/sub/c.txt", "c");
  WriteFile(tree / "data/sub/old1.txt", "o");
  WriteFile(tree / "single.log", "s");
  WriteFile(tree / "gone/x.txt", "x");

  Page().AddPath(QString::fromStdString(tree / "data"));
  Page().AddPath(QString::fromStdString(tree / "single.log"));
  Page().AddPath(QString::fromStdString(tree / "gone"));
  Select({0});
  WithModal<FolderPropertiesDialog>([&] { Button("Properties")->click(); },
                                    [&](FolderPropertiesDialog& d) {
                                      QTreeWidget* include = d.findChildren<QTreeWidget*>()[0];
                                      include->topLevelItem(0)->setSelected(true);
                                      d.findChildren<QToolButton*>()[2]->click();  // delete *.*
                                      AddMask(d, 0, "txt");
                                      AddMask(d, 1, "old*.txt");
                                      d.accept();
                                    });
  // A listed folder that disappears before saving stays a folder entry.
  std::filesystem::remove_all(tree / "gone");
  ASSERT_EQ(page->PersistSettings(1), S_OK);

  ComPtr<IBkVpService> service;
  ASSERT_EQ(CreateInstance(CLSID_BkVpFilesSrv, service), S_OK) << LastComponentError();
  bkvp::testing::RecordingProgress progress;
  const std::string archive = tree / "backup.kv";
  // The folder that is gone fails the backup; everything else is saved.
  ASSERT_EQ(bkvp::testing::BackupToArchive(service.get(), LoadFilesString(IDS_SERVICE_CLSID),
                                           archive, progress),
            E_FAIL);
  EXPECT_EQ(progress.messages.at(0), "Folder Backup " + tree / "gone FAILED");
  std::vector<std::string> saved;
  for (const auto& object :
       bkvp::testing::ReadSection(archive, LoadFilesString(IDS_SERVICE_CLSID)).objects)
    saved.push_back(object.name);
  EXPECT_EQ(saved, (std::vector<std::string>{tree / "data/a.txt", tree / "data/sub/c.txt",
                                             tree / "single.log"}));
  ASSERT_EQ(ReadBackupList().size(), 3u);
  EXPECT_TRUE(std::holds_alternative<FolderEntry>(ReadBackupList()[2]));

  const Rows before = ListRows();
  EXPECT_EQ(before[0][1], "*.txt");
  EXPECT_EQ(before[0][2], "old*.txt");
  const auto second = Create();
  Rows after = ListRows();
  EXPECT_EQ(after[1][1], "Backup Allways");  // loaded, a file shows its rule as edited ones do
  after[1][1] = before[1][1];
  EXPECT_EQ(after, before);
}

TEST_F(BackupPage, SavingAnEmptyListLeavesNoEntries) {
  ASSERT_EQ(platform::RegWriteString(BackuperKeyPath(), "file0", tree.path() + "\t"), 0);
  ASSERT_EQ(page->PersistSettings(1), S_OK);
  EXPECT_FALSE(HasBackupEntries());
}

}  // namespace
}  // namespace bkvp::files::pages
