// A client whose backup goes on until the run is cancelled, so that the
// tests can stop a real bkvp run at a known point: it writes the file named
// by BKVP_TEST_STALL_MARKER once its section has begun, then keeps reporting
// progress (for at most 60 s).
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "contract/interfaces.h"
#include "contract/module.h"

using namespace bkvp;

namespace {

class StallService : public DispatchObject<IBkVpService> {
 public:
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override {
    Bstr name("Stalling client"), clsid("{5A11C0DE-0000-4000-8000-000000000001}");
    progress->FirstStep(name.get(), 1);
    backuper->BeginClient(name.get(), clsid.get(), 1);
    if (const char* marker = std::getenv("BKVP_TEST_STALL_MARKER")) std::ofstream(marker) << "1";
    Bstr step("waiting");
    for (int i = 0; i < 6000; ++i) {
      progress->NextStep(step.get(), 0);
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
  static const ModuleDefinition module{
      "cli_stall_client",
      MakeGuid("{5A11C0DE-0000-4000-8000-000000000000}"),
      {{MakeGuid("{5A11C0DE-0000-4000-8000-000000000001}"), "CliStall.Service", "Stalling client",
        &CreateObject<StallService>}},
      ClientDiscovery{MakeGuid("{5A11C0DE-0000-4000-8000-000000000001}"), "Stalling client"}};
  return module;
}

}  // namespace

BKVP_EXPORT_MODULE(Definition)
