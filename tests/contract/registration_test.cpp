// Module registration through the test module's DllRegisterServer, read back
// through the registry API.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/component.h"
#include "contract/identifiers.h"
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

}  // namespace
