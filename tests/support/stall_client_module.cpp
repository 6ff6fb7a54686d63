// A client whose backup goes on until the run is cancelled, so that the
// tests can stop a real run at a known point. While BKVP_TEST_STALL_MARKER
// names a file, it writes that file once its section has begun, then keeps
// reporting progress and letting the program handle its events (for at most
// 60 s). Without it, it saves an empty section at once.
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "contract/interfaces.h"
#include "contract/module.h"
#include "platform/ui.h"

using namespace bkvp;

namespace {

// Sorts after the files client's identifier, so that a run of both saves the
// files first and then stalls with its progress bar part way.
constexpr char kServiceClsid[] = "{F5A11C0D-0000-4000-8000-000000000001}";

class StallService : public DispatchObject<IBkVpService> {
 public:
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override {
    Bstr name("Stalling client"), clsid(kServiceClsid);
    progress->FirstStep(name.get(), 100);
    backuper->BeginClient(name.get(), clsid.get(), 100);
    const char* marker = std::getenv("BKVP_TEST_STALL_MARKER");
    if (!marker || !*marker) return backuper->EndClient(0);
    std::ofstream(marker) << "1";
    Bstr step("waiting");
    for (int i = 0; i < 6000; ++i) {
      progress->NextStep(step.get(), i < 40 ? 1 : 0);
      platform::ui::PumpMessages();
      usleep(10000);
    }
    backuper->EndClient(1);
    return S_OK;
  }
  HRESULT Restore(IRestorer*, IProgress*) override { return S_OK; }
  HRESULT HasAxBackup(BOOL* v) override { return Flag(v); }
  HRESULT HasAxRestore(BOOL* v) override { return Flag(v); }
  HRESULT ClientPresent(BOOL* v) override {
    *v = 1;
    return S_OK;
  }
  HRESULT GetAxBackupCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetAxRestoreCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetClientInfo(BSTR property, VARIANT* value) override {
    const std::string name = ToAnsi(property);
    VariantInit(value);
    if (name == "ClientName" || name == "HasBackup") {
      *value = MakeStringVariant(name == "ClientName" ? "Stalling client" : "");
    } else if (name == "VersionMajor" || name == "VersionMinor") {
      value->vt = VT_I4;
      value->lVal = 1;
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
  static HRESULT Flag(BOOL* v) {
    *v = 0;
    return S_OK;
  }
};

const ModuleDefinition& Definition() {
  static const ModuleDefinition module{"bkvp_stall_client",
                                       MakeGuid("{F5A11C0D-0000-4000-8000-000000000000}"),
                                       {{MakeGuid(kServiceClsid), "TestStall.Service",
                                         "Stalling client", &CreateObject<StallService>}},
                                       ClientDiscovery{MakeGuid(kServiceClsid), "Stalling client"}};
  return module;
}

}  // namespace

BKVP_EXPORT_MODULE(Definition)
