#include "clients/common/restore_loop.h"

#include "clients/common/progress_calls.h"
#include "contract/errors.h"

namespace bkvp::clients {

namespace {

// A file outside the client's places on this machine goes back where the
// archive says only when the person agrees for its folder.
std::string RefusalAfterAsking(IProgress* progress, RestorePlaces& places,
                               const std::string& name) {
  std::string refusal = places.RefusalForFile(name);
  if (refusal.empty()) return refusal;
  const std::string folder = places.FolderToAskAbout(name);
  if (folder.empty()) return refusal;
  if (AskPrompt(progress, places.QuestionAbout(folder), kPromptRestoreToSavedPlace) == IDYES) {
    places.Agree(folder);
    return places.RefusalForFile(name);
  }
  places.Decline(folder);
  return refusal;
}

}  // namespace

RestoreLoopResult RestoreObjectLoop(IRestorer* restorer, IProgress* progress, RestorePlaces places,
                                    const std::string& serviceClsid,
                                    const std::string& unknownTypeText,
                                    const BeforeRegistryKey& before, FailedObject onFailure) {
  RestoreLoopResult result;
  Bstr clsid(serviceClsid);
  // Without its section the reader would walk whatever it stood on before.
  if (Failed(restorer->Iterate(clsid.get()))) {
    result.hr = E_FAIL;
    return result;
  }
  for (;;) {
    BOOL end = 0;
    if (Failed(restorer->IsEnd(&end)) || end) break;
    USHORT type = 0;
    Bstr name;
    LONG weight = 0;
    try {
      restorer->GetObjectInfo(&type, name.out(), &weight);
      const std::string text = name.str();
      HRESULT status = S_OK;
      const std::string refusal = type == kObjectFile ? RefusalAfterAsking(progress, places, text)
                                  : type == kObjectRegistryKey ? places.RefusalForKey(text)
                                                               : "";
      if (!refusal.empty()) {
        LogObjectFailure(progress, text, refusal);
        result.hr = E_FAIL;
      } else if (type == kObjectFile) {
        // The reader creates missing folders itself, without following
        // links; failures show when it cannot create the file.
        status = restorer->RestoreFile(name.get(), 1, VARIANT_TRUE);
      } else if (type == kObjectRegistryKey) {
        if (before && before(text) == KeyStep::Abandon) {
          result.hr = E_FAIL;
          result.abandoned = true;
          return result;
        }
        status = restorer->RestoreRegistryKey(name.get());
      } else {
        SendMessage(progress, text + ": " + unknownTypeText);
      }
      if (Failed(status)) {
        // The reader has logged why; the client has failed either way.
        result.hr = onFailure == FailedObject::EndRestore ? status : E_FAIL;
        if (onFailure == FailedObject::EndRestore) return result;
      }
    } catch (const KVError& error) {
      result.hr = E_FAIL;
      if (error.code < 0) break;
    }
    restorer->Next();
  }
  return result;
}

}  // namespace bkvp::clients
