// A client module for the discovery tests: service classes that report
// versions 2.1 (accepted), 2.2 and 1.5 (both newer than the program in one
// word) and -1.1 (newer too, once the word is read as unsigned).
#include "contract/interfaces.h"
#include "contract/module.h"

using namespace bkvp;

namespace {

template <int Major, int Minor>
class FakeService : public bkvp::DispatchObject<IBkVpService> {
 public:
  HRESULT Backup(IBackuper*, IProgress*) override { return S_OK; }
  HRESULT Restore(IRestorer*, IProgress*) override { return S_OK; }
  HRESULT HasAxBackup(BOOL* v) override { return Flag(v, 0); }
  HRESULT HasAxRestore(BOOL* v) override { return Flag(v, 0); }
  // Only the low 16 bits count: the upper half is set to prove it.
  HRESULT ClientPresent(BOOL* v) override { return Flag(v, static_cast<BOOL>(0x7FFF0001)); }
  HRESULT GetAxBackupCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetAxRestoreCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetClientInfo(BSTR property, VARIANT* value) override {
    const std::string name = bkvp::ToAnsi(property);
    VariantInit(value);
    if (name == "ClientName") {
      *value =
          bkvp::MakeStringVariant("Fake " + std::to_string(Major) + "." + std::to_string(Minor));
    } else if (name == "VersionMajor" || name == "VersionMinor") {
      value->vt = VT_I4;
      value->lVal = name == "VersionMajor" ? Major : Minor;
    } else if (name == "HasBackup") {
      *value = bkvp::MakeStringVariant("");
    } else {
      return E_INVALIDARG;
    }
    return S_OK;
  }
  HRESULT SetOptions(VARIANT) override { return S_OK; }
  HRESULT GetOptions(VARIANT* options) override {
    VariantInit(options);
    return S_OK;
  }

 private:
  static HRESULT Flag(BOOL* v, BOOL value) {
    if (!v) return E_POINTER;
    *v = value;
    return S_OK;
  }
};

const bkvp::ModuleDefinition& Definition() {
  static const bkvp::ModuleDefinition module{
      "engine_fake_client",
      MakeGuid("{0E0E0E0E-0000-4000-8000-000000000000}"),
      {{MakeGuid("{0E0E0E0E-0000-4000-8000-000000000021}"), "EngineFake.Current", "Fake client 2.1",
        &bkvp::CreateObject<FakeService<2, 1>>},
       {MakeGuid("{0E0E0E0E-0000-4000-8000-000000000022}"), "EngineFake.Newer", "Fake client 2.2",
        &bkvp::CreateObject<FakeService<2, 2>>},
       {MakeGuid("{0E0E0E0E-0000-4000-8000-000000000015}"), "EngineFake.MinorNewer",
        "Fake client 1.5", &bkvp::CreateObject<FakeService<1, 5>>},
       {MakeGuid("{0E0E0E0E-0000-4000-8000-0000000000F1}"), "EngineFake.Negative",
        "Fake client -1.1", &bkvp::CreateObject<FakeService<-1, 1>>}},
      bkvp::ClientDiscovery{MakeGuid("{0E0E0E0E-0000-4000-8000-000000000021}"), "Fake files"}};
  return module;
}

}  // namespace

BKVP_EXPORT_MODULE(Definition)
