// BkVpTestModule: a client-like module with one service class whose calls
// throw the two exceptions that cross module boundaries.
#include "tests/contract/test_module.h"
#include "contract/errors.h"
#include "contract/interfaces.h"
#include "contract/module.h"

using namespace bkvp;

namespace {

using namespace bkvp::testing;

class TestService : public bkvp::DispatchObject<IBkVpService> {
 public:
  // A disk prompt cancelled by the user.
  HRESULT Backup(IBackuper*, IProgress*) override { throw ComError(E_FAIL); }
  // A file the user chose to skip.
  HRESULT Restore(IRestorer*, IProgress*) override { throw KVError(1); }
  HRESULT HasAxBackup(BOOL* value) override { return Answer(value, VARIANT_TRUE); }
  HRESULT HasAxRestore(BOOL* value) override { return Answer(value, VARIANT_FALSE); }
  HRESULT ClientPresent(BOOL* value) override { return Answer(value, 1); }
  HRESULT GetAxBackupCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetAxRestoreCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetClientInfo(BSTR propertyName, VARIANT* value) override {
    if (!value) return E_POINTER;
    if (bkvp::ToAnsi(propertyName) != "ClientName") return E_INVALIDARG;
    *value = bkvp::MakeStringVariant(kTestClientName);
    return S_OK;
  }
  HRESULT SetOptions(VARIANT options) override {
    auto bytes = bkvp::ByteArrayOf(options);
    if (!bytes) return E_INVALIDARG;
    options_ = std::move(*bytes);
    return S_OK;
  }
  HRESULT GetOptions(VARIANT* options) override {
    if (!options) return E_POINTER;
    *options = bkvp::MakeByteArrayVariant(options_);
    return S_OK;
  }

 private:
  static HRESULT Answer(BOOL* value, BOOL answer) {
    if (!value) return E_POINTER;
    *value = answer;
    return S_OK;
  }

  std::vector<uint8_t> options_;
};

const bkvp::ModuleDefinition& TestModule() {
  static const bkvp::ModuleDefinition definition{
      "BkVpTestModule",
      LIBID_TestModule,
      {{CLSID_TestService, kTestServiceProgId, kTestServiceDescription,
        bkvp::CreateObject<TestService>}},
      bkvp::ClientDiscovery{CLSID_TestService, kTestClientName}};
  return definition;
}

}  // namespace

BKVP_EXPORT_MODULE(TestModule)
