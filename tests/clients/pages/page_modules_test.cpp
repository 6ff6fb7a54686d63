// Each mail and browser client module registers the classes of its page
// module, and the program creates its pages from there by class identifier.
#include <gtest/gtest.h>

#include <QLabel>
#include <filesystem>

#include "contract/component.h"
#include "contract/interfaces.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::pages::testing {
namespace {

using bkvp::testing::BinDir;

struct ClientPages {
  std::string module;
  std::string backupClsid;
  std::string restoreClsid;
  QString backupTitle;
  QString restoreTitle;
};

const ClientPages kClients[] = {
    {"BkVpOutlookExp", "{6EA388AA-195C-4FC1-A82B-013D1B5409A9}",
     "{1EA54D38-5BF2-44D2-A201-AB6EBFE95C00}", "Outlook Express Backup Options",
     "Outlook Express Restore Options"},
    {"BkVpOutlook", "{DED5B099-CD13-4508-9B78-D5F8BAA6EFD5}",
     "{43945BC8-1EA3-4BEC-ADF0-87EC58D880E0}", "Outlook Backup Options", "Outlook Restore Options"},
    {"Navigator4x", "{777EBB6D-8982-4BF3-8478-2E8C744C3EB7}",
     "{43F653EA-5337-4316-A854-48870CC22CF0}", "Netscape 4.x Backup Options",
     "Netscape 4.X Restore Options"},
    {"BkVpNetscape6", "{FCAE0944-F8AF-44EB-BBB0-EA796F0F072F}",
     "{4D3882E5-A2A4-4160-99F0-AFB656F16141}", "Netscape 6 Backup Options",
     "Netscape 6 Restore Options"},
    {"BkVpNetscape7", "{812BF0A7-59CB-4FD8-ABDB-CA5581D07EA0}",
     "{BB363526-62E5-4514-8F22-C464617B66D2}", "Netscape 7 Backup Options",
     "Netscape 7 Restore Options"},
};

class PageModules : public bkvp::testing::HomeFixture {
 protected:
  // Creates the page through its module, as the program's page host does,
  // and answers the title the page shows.
  template <class PageInterface>
  QString OpenedTitle(const std::string& clsid) {
    ComPtr<IBkVpControlSite> site;
    EXPECT_EQ(CoCreateInstance(GuidFromString(clsid).value(), nullptr, IBkVpControlSite::kIid,
                               site.out()),
              S_OK)
        << LastComponentError();
    if (!site) return {};
    QWidget window;
    EXPECT_EQ(site->CreateControl(&window, 0, 0, 600, 440, 108), S_OK);
    const auto page = site.As<PageInterface>();
    EXPECT_EQ(page->PersistSettings(0), S_OK);
    BOOL valid = 0;
    EXPECT_EQ(page->Validate(&valid), S_OK);
    const QLabel* heading = window.findChild<QLabel*>();
    const QString title = heading ? heading->text() : QString();
    EXPECT_EQ(site->DestroyControl(), S_OK);
    return title;
  }
};

TEST_F(PageModules, EveryClientRegistersItsPagesAndThePagesOpenFromTheirModule) {
  for (const ClientPages& client : kClients) {
    SCOPED_TRACE(client.module);
    const std::string pages = BinDir() + "/" + client.module + "Pages.so";
    ASSERT_TRUE(std::filesystem::exists(pages));
    ASSERT_EQ(RegisterModuleFile(BinDir() + "/" + client.module + ".so"), S_OK)
        << LastComponentError();
    for (const std::string& clsid : {client.backupClsid, client.restoreClsid})
      EXPECT_EQ(
          platform::RegReadString("HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32", ""),
          pages);
    EXPECT_EQ(OpenedTitle<IBkVpAxBackup>(client.backupClsid), client.backupTitle);
    EXPECT_EQ(OpenedTitle<IBkVpAxRestore>(client.restoreClsid), client.restoreTitle);
  }
}

}  // namespace
}  // namespace bkvp::pages::testing
