// The program's page host with the real modules: the files client and its
// page module registered by the bkvp tool in a fresh BKVP_HOME, a client
// whose page module is missing, and a page whose window goes away first.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <filesystem>

#include "app/ui/hosting/custom_ctrl.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "contract/component.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::ui {
namespace {

namespace fs = std::filesystem;
using bkvp::testing::BinDir;
using bkvp::testing::TempDir;

class PageHosting : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    if (!fs::exists(BinDir() + "/BkVpFilesPages.so") || !fs::exists(BinDir() + "/bkvp"))
      GTEST_SKIP() << "the files modules or the tool are not built";
    window.resize(640, 420);
  }
  ComPtr<IBkVpService> FilesService() {
    ComPtr<IBkVpService> service;
    EXPECT_EQ(CreateInstance(files::CLSID_BkVpFilesSrv, service), S_OK) << LastComponentError();
    return service;
  }
  static QWidget* HostedWidget(CCustomCtrl& host) {
    const auto children = host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return children.size() == 1 ? children.front() : nullptr;
  }

  QWidget window;
};

TEST_F(PageHosting, ToolRegistersThePagesAndTheHostDrivesThemThroughTheirSlots) {
  const auto registration = bkvp::testing::RunCommand(BinDir() + "/bkvp register");
  ASSERT_EQ(registration.exitCode, 0) << registration.output;
  // The page module is registered by its client's module; the tool never loads it.
  EXPECT_EQ(registration.output.find("BkVpFilesPages"), std::string::npos) << registration.output;
  EXPECT_EQ(
      platform::RegReadString("HKEY_CLASSES_ROOT\\CLSID\\" +
                                  GuidToString(files::CLSID_BkVpFilesFolders) + "\\InprocServer32",
                              ""),
      BinDir() + "/BkVpFilesPages.so");

  TempDir folder;
  ASSERT_EQ(files::WriteBackupList({files::FolderEntry{folder.path()}}), 0);
  const ComPtr<IBkVpService> service = FilesService();
  CCustomCtrl host(PageKind::kBackup, &window);
  host.setGeometry(10, 10, 600, 380);
  window.show();
  ASSERT_TRUE(host.CreateClientPage(service.get())) << host.LastError();
  QWidget* page = HostedWidget(host);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->property("controlId").toInt(), kBackupPageControlId);
  EXPECT_FALSE(page->isVisible());
  EXPECT_EQ(page->geometry(), host.rect());
  // Loaded on creation: the stored entry is the list's one row.
  QTreeWidget* list = nullptr;
  for (QTreeWidget* tree : page->findChildren<QTreeWidget*>())
    if (tree->headerItem()->text(0) == "Path") list = tree;
  ASSERT_TRUE(list);
  EXPECT_EQ(list->topLevelItemCount(), 1);

  host.ShowPage();
  EXPECT_TRUE(page->isVisible());
  host.resize(500, 300);
  EXPECT_EQ(page->size(), QSize(500, 300));
  EXPECT_TRUE(host.Validate());
  EXPECT_TRUE(host.CreateClientPage(service.get()));  // a page exists: nothing happens
  EXPECT_EQ(HostedWidget(host), page);

  delete list->topLevelItem(0);
  ASSERT_TRUE(host.StoreSettings());
  EXPECT_FALSE(files::HasBackupEntries());
  host.HidePage();
  EXPECT_FALSE(page->isVisible());
  host.DestroyPage();
  EXPECT_FALSE(host.HasPage());
  EXPECT_EQ(HostedWidget(host), nullptr);

  CCustomCtrl restore(PageKind::kRestore, &window);
  ASSERT_TRUE(restore.CreateClientPage(service.get())) << restore.LastError();
  EXPECT_EQ(HostedWidget(restore)->property("controlId").toInt(), kRestorePageControlId);
  ASSERT_TRUE(restore.StoreSettings());
  EXPECT_TRUE(platform::RegReadString(files::RestorerKeyPath(), "Destination"));
}

TEST_F(PageHosting, ClientWithoutAPageModuleGetsAnEmptyArea) {
  // A copy of the service module alone in a folder (a copy, so that it loads
  // from there even when the original is loaded): its page classes stay
  // unregistered.
  TempDir alone;
  fs::copy_file(BinDir() + "/BkVpFiles.so", alone / "BkVpFiles.so");
  ASSERT_EQ(RegisterModuleFile(alone / "BkVpFiles.so"), S_OK) << LastComponentError();
  const ComPtr<IBkVpService> service = FilesService();

  CCustomCtrl host(PageKind::kBackup, &window);
  EXPECT_FALSE(host.CreateClientPage(service.get()));
  EXPECT_NE(host.LastError().find("not registered"), std::string::npos) << host.LastError();
  EXPECT_FALSE(host.HasPage());
  EXPECT_EQ(HostedWidget(host), nullptr);
  host.ShowPage();
  EXPECT_TRUE(host.Validate());
  EXPECT_TRUE(host.StoreSettings());
  EXPECT_TRUE(host.LoadSettings());
}

TEST_F(PageHosting, PageWhoseWindowIsGoneRefusesCallsInsteadOfCrashing) {
  ASSERT_EQ(RegisterModuleFile(BinDir() + "/BkVpFiles.so"), S_OK) << LastComponentError();
  ComPtr<IBkVpControlSite> site;
  ASSERT_EQ(
      CoCreateInstance(files::CLSID_BkVpFilesFolders, nullptr, IBkVpControlSite::kIid, site.out()),
      S_OK)
      << LastComponentError();
  EXPECT_EQ(site->CreateControl(nullptr, 0, 0, 10, 10, 108), E_POINTER);
  auto* parent = new QWidget;
  ASSERT_EQ(site->CreateControl(parent, 0, 0, 300, 200, 108), S_OK);
  EXPECT_EQ(site->CreateControl(parent, 0, 0, 300, 200, 108), E_UNEXPECTED);
  delete parent;  // takes the page's widget with it

  const auto page = site.As<IBkVpAxBackup>();
  EXPECT_EQ(page->PersistSettings(1), E_UNEXPECTED);
  BOOL valid = 0;
  EXPECT_EQ(page->Validate(&valid), E_UNEXPECTED);
  EXPECT_EQ(valid, 0);
  EXPECT_EQ(site->ShowControl(), E_UNEXPECTED);
  EXPECT_EQ(site->DestroyControl(), S_FALSE);
}

}  // namespace
}  // namespace bkvp::ui
