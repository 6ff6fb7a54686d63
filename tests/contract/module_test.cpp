// The generic class factory, exercised in process (no registry, no dlopen).
#include "contract/module.h"

#include <gtest/gtest.h>

#include "contract/interfaces.h"

using namespace bkvp;

namespace {

constexpr CLSID kPageClsid = MakeGuid("{0D6E5A41-93C2-4B7F-A8E0-5C1D2B3F4A69}");
constexpr CLSID kThrowingClsid = MakeGuid("{7F2B9C10-4E3D-4A21-B6C8-0E9D8F7A6B52}");

class Page : public bkvp::DispatchObject<IBkVpAxBackup> {
 public:
  HRESULT PersistSettings(BOOL) override { return S_OK; }
  HRESULT SettingsChanged(BOOL*) override { return S_OK; }
  HRESULT Validate(BOOL*) override { return S_OK; }
};

IUnknown* CreateThrowing() { throw std::runtime_error("no page today"); }

const bkvp::ModuleDefinition kModule{
    "InProcessModule",
    GUID{},
    {{kPageClsid, "InProcessModule.Page", "Page Class", bkvp::CreateObject<Page>},
     {kThrowingClsid, "InProcessModule.Throwing", "Throwing Class", CreateThrowing}},
    std::nullopt};

bkvp::ComPtr<IClassFactory> FactoryFor(const CLSID& clsid) {
  bkvp::ComPtr<IClassFactory> factory;
  EXPECT_EQ(bkvp::ModuleGetClassObject(kModule, clsid, IClassFactory::kIid, factory.out()), S_OK);
  return factory;
}

TEST(ClassFactory, FailuresBecomeStatusesWithNoObject) {
  void* object = &object;
  EXPECT_EQ(bkvp::ModuleGetClassObject(kModule, IBackuper::kIid, IClassFactory::kIid, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  auto factory = FactoryFor(kPageClsid);
  object = &object;
  EXPECT_EQ(factory->CreateInstance(factory.get(), IUnknown::kIid, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IBkVpAxRestore::kIid, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  // An exception from a constructor must not leave the factory call.
  EXPECT_EQ(FactoryFor(kThrowingClsid)->CreateInstance(nullptr, IUnknown::kIid, &object), E_FAIL);
  EXPECT_EQ(object, nullptr);
}

TEST(ClassFactory, ModuleStaysBusyWhileFactoriesOrLocksRemain) {
  EXPECT_EQ(bkvp::ModuleCanUnloadNow(kModule), S_OK);
  {
    auto factory = FactoryFor(kPageClsid);
    EXPECT_EQ(bkvp::ModuleCanUnloadNow(kModule), S_FALSE);
    EXPECT_EQ(factory->LockServer(1), S_OK);
  }
  EXPECT_EQ(bkvp::ModuleCanUnloadNow(kModule), S_FALSE);  // locked without a factory
  auto factory = FactoryFor(kPageClsid);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(factory->LockServer(0), E_UNEXPECTED);  // never below zero
  factory.Reset();
  EXPECT_EQ(bkvp::ModuleCanUnloadNow(kModule), S_OK);
}

}  // namespace
