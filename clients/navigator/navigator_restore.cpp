#include "clients/navigator/navigator_restore.h"

#include "clients/common/path_helpers.h"
#include "clients/common/progress_calls.h"
#include "contract/bstr.h"
#include "contract/errors.h"

namespace bkvp::navigator {

namespace {

// Puts back the object the reader stands on; its status, S_OK for objects
// that are only reported.
HRESULT RestoreCurrent(IRestorer* restorer, IProgress* progress, USHORT type, const Bstr& name,
                       const std::string& unknownTypeText) {
  switch (type) {
    case kObjectFile:
      clients::CreateParentFolders(name.str());
      return restorer->RestoreFile(name.get(), 1, VARIANT_TRUE);
    case kObjectRegistryKey:
      return restorer->RestoreRegistryKey(name.get());
    default:
      clients::SendMessage(progress, name.str() + ": " + unknownTypeText);
      return S_OK;
  }
}

}  // namespace

HRESULT RestoreSection(IRestorer* restorer, IProgress* progress, const std::string& serviceClsid,
                       const std::string& unknownTypeText) {
  Bstr clsid(serviceClsid);
  // Without its section the reader would walk whatever section it stood on.
  if (Failed(restorer->Iterate(clsid.get()))) return E_FAIL;
  bool failed = false;
  for (;;) {
    BOOL end = 0;
    if (Failed(restorer->IsEnd(&end)) || end) break;
    USHORT type = 0;
    Bstr name;
    LONG weight = 0;
    try {
      restorer->GetObjectInfo(&type, name.out(), &weight);
      const HRESULT hr = RestoreCurrent(restorer, progress, type, name, unknownTypeText);
      if (Failed(hr)) return hr;
    } catch (const KVError& error) {
      failed = true;
      if (error.code < 0) break;
    }
    restorer->Next();
  }
  return failed ? E_FAIL : S_OK;
}

}  // namespace bkvp::navigator
