// The restore page: where restored files go and whether they replace
// existing ones, stored for the service's restore.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "clients/common/pages/page_control.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "clients/files/pages/folder_tree.h"
#include "clients/files/pages/restore_page.h"
#include "platform/registry.h"
#include "tests/clients/common/pages/page_test_support.h"
#include "tests/support/test_support.h"

namespace bkvp::files::pages {
namespace {

class RestorePageTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    page = ComPtr<IBkVpAxRestore>::Attach(
        static_cast<IBkVpAxRestore*>(bkvp::pages::CreatePage<IBkVpAxRestore, RestorePage>()));
    ASSERT_EQ(page.As<IBkVpControlSite>()->CreateControl(&window, 0, 0, 500, 350, 109), S_OK);
    page.As<IBkVpControlSite>()->ShowControl();
    window.show();
  }
  template <class W>
  W* Control(const QString& text) {
    for (W* widget : window.findChildren<W*>())
      if (widget->text() == text) return widget;
    return nullptr;
  }
  FolderTree* Tree() { return window.findChild<FolderTree*>(); }
  bool Valid() {
    BOOL valid = 0;
    EXPECT_EQ(page->Validate(&valid), S_OK);
    return (valid & 0xFFFF) == 0xFFFF;
  }
  // Names and values under "restorer".
  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    platform::RegKeyHandle key;
    if (platform::RegOpenKeyPath(RestorerKeyPath(), key.out()) != 0) return names;
    char name[256];
    for (uint32_t i = 0;; ++i) {
      uint32_t size = sizeof name;
      if (platform::RegEnumValue(key.get(), i, name, &size, nullptr, nullptr, nullptr) != 0) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  QWidget window;
  ComPtr<IBkVpAxRestore> page;
  bkvp::testing::TempDir target;
};

TEST_F(RestorePageTest, StartsAtTheOriginalLocationWithoutOverwriting) {
  ASSERT_TRUE(platform::RegWriteString(RestorerKeyPath(), "Destination", "/old") == 0);
  ASSERT_TRUE(platform::RegWriteString(RestorerKeyPath(), "Stale", "x") == 0);
  EXPECT_TRUE(Control<QRadioButton>("Original location")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("Overwrite existing files")->isChecked());
  EXPECT_FALSE(Tree()->isVisible());
  EXPECT_EQ(page->PersistSettings(0), S_OK);  // the stored choice is not shown
  EXPECT_TRUE(Control<QRadioButton>("Original location")->isChecked());

  ASSERT_EQ(page->PersistSettings(1), S_OK);
  ASSERT_EQ(page->PersistSettings(1), S_OK);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Destination", "Overwrite", "KeepFolders"}));
  const RestoreChoices stored = ReadRestoreChoices();
  EXPECT_EQ(stored.destination, "");
  EXPECT_FALSE(stored.overwrite);
  EXPECT_TRUE(Valid());
}

TEST_F(RestorePageTest, ChosenFolderAndOverwriteAreStored) {
  Control<QRadioButton>("Disk drive or folder")->click();
  EXPECT_TRUE(Tree()->isVisible());
  ASSERT_TRUE(Tree()->SelectPath(QString::fromStdString(target.path())));
  Control<QCheckBox>("Overwrite existing files")->click();
  EXPECT_TRUE(Valid());
  ASSERT_EQ(page->PersistSettings(1), S_OK);
  RestoreChoices stored = ReadRestoreChoices();
  EXPECT_EQ(stored.destination, target.path());
  EXPECT_TRUE(stored.overwrite);
  EXPECT_TRUE(stored.keepFolders);
  // Side by side instead.
  Control<QCheckBox>("Keep the original folders below the chosen folder")->click();
  ASSERT_EQ(page->PersistSettings(1), S_OK);
  stored = ReadRestoreChoices();
  EXPECT_FALSE(stored.keepFolders);

  Control<QRadioButton>("Original location")->click();
  EXPECT_FALSE(Tree()->isVisible());
}

TEST_F(RestorePageTest, AChosenFolderModeWithoutAFolderIsNotValid) {
  testing::ScriptedMessageBoxes boxes({platform::ui::IDOK});
  Control<QRadioButton>("Disk drive or folder")->click();
  Tree()->setCurrentItem(nullptr);
  EXPECT_FALSE(Valid());
  EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace bkvp::files::pages
