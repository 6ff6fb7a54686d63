// Creation by class identifier: registry lookup, dlopen of the test module,
// its class factory, and the status and reason of each way it can fail.
#include "contract/component.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "contract/errors.h"
#include "contract/interfaces.h"
#include "platform/registry.h"
#include "tests/contract/test_module.h"
#include "tests/support/test_support.h"

using namespace bkvp;

namespace {

using namespace bkvp::testing;

const std::string kModule = BKVP_TEST_MODULE_PATH;
constexpr CLSID kOtherClass = MakeGuid("{9E1A7C53-2D4B-4F86-A0B9-C3D2E1F0A987}");

const void* VtableOf(const void* object) { return *static_cast<void* const*>(object); }

class Creation : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(bkvp::RegisterModuleFile(kModule), S_OK) << bkvp::LastComponentError();
    ASSERT_EQ(bkvp::CreateInstance(CLSID_TestService, service_), S_OK)
        << bkvp::LastComponentError();
  }

  // Creation of `clsid` fails with `status` and a reason that has every piece.
  static void ExpectFailure(const CLSID& clsid, HRESULT status,
                            std::initializer_list<std::string> pieces) {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, IBkVpService::kIid, &object), status);
    EXPECT_EQ(object, nullptr);
    const std::string reason = bkvp::LastComponentError();
    for (const std::string& piece : pieces)
      EXPECT_NE(reason.find(piece), std::string::npos)
          << "'" << piece << "' missing in: " << reason;
  }
  static void PointOtherClassAt(const std::string& path) {
    ASSERT_EQ(platform::RegWriteString(
                  "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(kOtherClass) + "\\InprocServer32", "",
                  path),
              0);
  }

  bkvp::ComPtr<IBkVpService> service_;
};

TEST_F(Creation, ObjectComesFromTheRegisteredModule) {
  EXPECT_EQ(bkvp::ModulePathOf(VtableOf(service_.get())), kModule);
  bkvp::ComPtr<IBkVpService> second;
  ASSERT_EQ(bkvp::CreateInstance(CLSID_TestService, second), S_OK);
  EXPECT_NE(second.get(), service_.get());
  EXPECT_EQ(VtableOf(second.get()), VtableOf(service_.get()));  // the module was loaded once

  // Strings and arrays allocated on one side are freed on the other.
  bkvp::Variant name, in, out;
  EXPECT_EQ(service_->GetClientInfo(bkvp::Bstr("ClientName").get(), &name), S_OK);
  ASSERT_EQ(name.get().vt, VT_BSTR);
  EXPECT_EQ(bkvp::ToAnsi(name.get().bstrVal), kTestClientName);
  in.get() = bkvp::MakeByteArrayVariant({1, 2, 0xFE});
  ASSERT_EQ(service_->SetOptions(in.get()), S_OK);
  ASSERT_EQ(service_->GetOptions(&out), S_OK);
  EXPECT_EQ(bkvp::ByteArrayOf(out.get()), (std::vector<uint8_t>{1, 2, 0xFE}));
}

TEST_F(Creation, ExceptionsThrownInTheModuleAreCaughtByType) {
  try {
    service_->Restore(nullptr, nullptr);
    ADD_FAILURE() << "Restore returned";
  } catch (const KVError& e) {
    EXPECT_EQ(e.code, 1);
  }
  try {
    service_->Backup(nullptr, nullptr);
    ADD_FAILURE() << "Backup returned";
  } catch (const ComError& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
  }
}

TEST_F(Creation, AggregationAndMissingInterfacesAreRefused) {
  void* object = &object;
  EXPECT_EQ(CoCreateInstance(CLSID_TestService, service_.get(), IUnknown::kIid, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  bkvp::ComPtr<IRestorer> restorer;
  EXPECT_EQ(bkvp::CreateInstance(CLSID_TestService, restorer), E_NOINTERFACE);
  EXPECT_FALSE(restorer);
  EXPECT_NE(bkvp::LastComponentError().find(GuidToString(IRestorer::kIid)), std::string::npos);
}

TEST_F(Creation, UnregisteredClassOrMissingFile) {
  ExpectFailure(kOtherClass, REGDB_E_CLASSNOTREG, {GuidToString(kOtherClass), "not registered"});
  PointOtherClassAt("/nonexistent/BkVpGone.so");
  ExpectFailure(kOtherClass, CO_E_ERRORINDLL,
                {"cannot load /nonexistent/BkVpGone.so", "No such file"});
}

TEST_F(Creation, FileThatIsNoModuleOrLacksTheClass) {
  const TempDir dir;
  const std::string text = dir / "Broken.so";
  WriteFile(text, std::string(4096, 'x'));
  PointOtherClassAt(text);
  ExpectFailure(kOtherClass, CO_E_ERRORINDLL, {"cannot load " + text + ": "});

  const std::string library = bkvp::ModulePathOf(reinterpret_cast<const void*>(&SysAllocString));
  PointOtherClassAt(library);
  ExpectFailure(kOtherClass, CO_E_ERRORINDLL, {library, "no DllGetClassObject"});

  PointOtherClassAt(kModule);
  ExpectFailure(kOtherClass, CLASS_E_CLASSNOTAVAILABLE, {kModule, GuidToString(kOtherClass)});
}

TEST_F(Creation, OddRegistryDataIsRefused) {
  PointOtherClassAt("BkVpTestModule.so");  // dlopen would search the library path
  ExpectFailure(kOtherClass, CO_E_ERRORINDLL, {"BkVpTestModule.so", "not an absolute path"});
  PointOtherClassAt("");
  ExpectFailure(kOtherClass, REGDB_E_CLASSNOTREG, {"names no module file"});
}

TEST(ModulePath, NamesTheLoadedFileAbsolutely) {
  const std::string library = bkvp::ModulePathOf(reinterpret_cast<const void*>(&SysAllocString));
  EXPECT_EQ(std::filesystem::path(library).filename(), "libbkvp_contract.so");
  EXPECT_TRUE(std::filesystem::path(library).is_absolute() && std::filesystem::exists(library))
      << library;
  static const int inThisProgram = 0;
  EXPECT_EQ(bkvp::ModulePathOf(&inThisProgram), std::filesystem::read_symlink("/proc/self/exe"));
  const int onTheStack = 0;
  EXPECT_EQ(bkvp::ModulePathOf(&onTheStack), "");
}

}  // namespace
