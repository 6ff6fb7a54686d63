// Module registration through the test module's DllRegisterServer, read back
// through the registry API.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/module.h"
#include "platform/registry.h"
#include "tests/contract/test_module.h"
#include "tests/support/test_support.h"

using namespace bkvp;

namespace {

using namespace bkvp::testing;
using platform::RegReadString;

const std::string kModule = BKVP_TEST_MODULE_PATH;
const std::string kClsid = GuidToString(CLSID_TestService);
const std::string kClassKey = "HKEY_CLASSES_ROOT\\CLSID\\" + kClsid;
const std::string kProgIdKey = std::string("HKEY_CLASSES_ROOT\\") + kTestServiceProgId;
const std::string kVersioned = std::string(kTestServiceProgId) + ".1";
const std::string kDiscovery = std::string(bkvp::kDiscoveryKey) + "\\" + kClsid;

bool KeyExists(const std::string& path) {
  platform::RegKeyHandle key;
  return platform::RegOpenKeyPath(path, key.out()) == 0;
}

class Registration : public HomeFixture {};

TEST_F(Registration, WritesClassProgIdAndDiscoveryEntries) {
  // A discovery entry of an older version: recreated from nothing.
  ASSERT_EQ(platform::RegWriteString(kDiscovery, "Leftover", "old"), 0);
  ASSERT_EQ(platform::RegWriteString(kDiscovery + "\\Sub", "", "x"), 0);

  ASSERT_EQ(bkvp::RegisterModuleFile(kModule), S_OK) << bkvp::LastComponentError();
  EXPECT_EQ(RegReadString(kClassKey, ""), kTestServiceDescription);
  EXPECT_EQ(RegReadString(kClassKey + "\\InprocServer32", ""), kModule);
  EXPECT_EQ(RegReadString(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(RegReadString(kClassKey + "\\ProgID", ""), kVersioned);
  EXPECT_EQ(RegReadString(kClassKey + "\\VersionIndependentProgID", ""), kTestServiceProgId);
  EXPECT_EQ(RegReadString(kClassKey + "\\TypeLib", ""), GuidToString(LIBID_TestModule));
  EXPECT_EQ(RegReadString(kProgIdKey, ""), kTestServiceDescription);
  EXPECT_EQ(RegReadString(kProgIdKey + "\\CLSID", ""), kClsid);
  EXPECT_EQ(RegReadString(kProgIdKey + "\\CurVer", ""), kVersioned);
  EXPECT_EQ(RegReadString(kProgIdKey + ".1", ""), kTestServiceDescription);
  EXPECT_EQ(RegReadString(kProgIdKey + ".1\\CLSID", ""), kClsid);
  // HKEY_CLASSES_ROOT is a view of the machine's classes.
  EXPECT_EQ(RegReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\" + kVersioned, ""),
            kTestServiceDescription);

  EXPECT_EQ(RegReadString(kDiscovery, "Name"), kTestClientName);
  EXPECT_FALSE(RegReadString(kDiscovery, "Leftover"));
  EXPECT_FALSE(KeyExists(kDiscovery + "\\Sub"));
}

TEST_F(Registration, UnregistrationRemovesWhatRegistrationWrote) {
  const std::string neighbour = "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(bkvp::CLSID_Backuper);
  ASSERT_EQ(platform::RegWriteString(neighbour, "", "Backuper Class"), 0);
  ASSERT_EQ(bkvp::RegisterModuleFile(kModule), S_OK) << bkvp::LastComponentError();

  ASSERT_EQ(bkvp::UnregisterModuleFile(kModule), S_OK) << bkvp::LastComponentError();
  for (const std::string& key : {kClassKey, kProgIdKey, kProgIdKey + ".1", kDiscovery})
    EXPECT_FALSE(KeyExists(key)) << key;
  EXPECT_TRUE(KeyExists(neighbour));
  EXPECT_EQ(bkvp::UnregisterModuleFile(kModule), S_OK);  // nothing left is no failure
}

TEST_F(Registration, RelativeModuleNameIsTakenFromTheWorkingFolder) {
  // Handed to dlopen as it is, a bare name would be searched on the library path.
  const std::filesystem::path module(kModule);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(module.parent_path());
  const HRESULT hr = bkvp::RegisterModuleFile(module.filename().string());
  std::filesystem::current_path(previous);
  ASSERT_EQ(hr, S_OK) << bkvp::LastComponentError();
  EXPECT_EQ(RegReadString(kClassKey + "\\InprocServer32", ""), kModule);
}

TEST_F(Registration, LibraryWithoutEntryPointIsNamedInTheError) {
  const std::string library = bkvp::ModulePathOf(reinterpret_cast<const void*>(&SysAllocString));
  EXPECT_EQ(bkvp::RegisterModuleFile(library), CO_E_ERRORINDLL);
  const std::string reason = bkvp::LastComponentError();
  EXPECT_NE(reason.find(library + " is not a component module"), std::string::npos) << reason;
  EXPECT_NE(reason.find("DllRegisterServer"), std::string::npos) << reason;
}

// A client module whose page classes live in a companion file beside it.
TEST_F(Registration, PageClassesPointAtTheCompanionBesideTheServiceModule) {
  const TempDir folder;
  const CLSID pageClsid = MakeGuid("{0D5E2F61-3A7B-4C8D-9E0F-1A2B3C4D5E6F}");
  const std::string pageKey = "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(pageClsid);
  ModuleDefinition module{
      "Svc",
      LIBID_TestModule,
      {},
      std::nullopt,
      PageModule{"SvcPages.so", {{pageClsid, "Svc.Page", "Page Class", nullptr}}}};

  WriteFile(folder / "SvcPages.so", "");
  ASSERT_EQ(RegisterModule(module, folder / "Svc.so"), S_OK) << LastComponentError();
  EXPECT_EQ(RegReadString(pageKey + "\\InprocServer32", ""), folder / "SvcPages.so");
  EXPECT_EQ(RegReadString("HKEY_CLASSES_ROOT\\Svc.Page.1\\CLSID", ""), GuidToString(pageClsid));

  // Registered again without the companion: no class may name a missing file.
  std::filesystem::remove(folder / "SvcPages.so");
  ASSERT_EQ(RegisterModule(module, folder / "Svc.so"), S_OK) << LastComponentError();
  EXPECT_FALSE(KeyExists(pageKey));
  EXPECT_FALSE(KeyExists("HKEY_CLASSES_ROOT\\Svc.Page"));

  WriteFile(folder / "SvcPages.so", "");
  ASSERT_EQ(RegisterModule(module, folder / "Svc.so"), S_OK);
  ASSERT_EQ(UnregisterModule(module), S_OK);
  EXPECT_FALSE(KeyExists(pageKey));
  EXPECT_FALSE(KeyExists("HKEY_CLASSES_ROOT\\Svc.Page.1"));
}

TEST(PageModuleFiles, AreKnownByTheirSuffix) {
  EXPECT_TRUE(IsPageModuleFile("BkVpFilesPages.so"));
  EXPECT_FALSE(IsPageModuleFile("BkVpFiles.so"));
  EXPECT_FALSE(IsPageModuleFile("Pages.so"));
}

}  // namespace
