#include "clients/common/restore_loop.h"

#include "clients/common/progress_calls.h"
#include "contract/errors.h"
#include "contract/object_walk.h"

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
  const SectionWalk walk = ForEachObject(restorer, serviceClsid, [&](const SectionObject& object) {
    const std::string& text = object.name;
    const Bstr name(text);
    HRESULT status = S_OK;
    const std::string refusal = object.type == kObjectFile
                                    ? RefusalAfterAsking(progress, places, text)
                                : object.type == kObjectRegistryKey ? places.RefusalForKey(text)
                                                                    : "";
    if (!refusal.empty()) {
      LogObjectFailure(progress, text, refusal);
      result.hr = E_FAIL;
    } else if (object.type == kObjectFile) {
      // The reader creates missing folders itself, without following
      // links; failures show when it cannot create the file.
      status = restorer->RestoreFile(name.get(), 1, VARIANT_TRUE);
    } else if (object.type == kObjectRegistryKey) {
      if (before && before(text) == KeyStep::Abandon) {
        result.abandoned = true;
        return WalkStep::kStop;
      }
      status = restorer->RestoreRegistryKey(name.get());
    } else {
      SendMessage(progress, text + ": " + unknownTypeText);
    }
    if (Failed(status)) {
      // The reader has logged why; the client has failed either way.
      result.hr = onFailure == FailedObject::EndRestore ? status : E_FAIL;
      if (onFailure == FailedObject::EndRestore) return WalkStep::kStop;
    }
    return WalkStep::kNext;
  });
  if (Failed(walk.status) || walk.skipped || result.abandoned) {
    if (!Failed(result.hr) || result.abandoned) result.hr = E_FAIL;
  }
  return result;
}

}  // namespace bkvp::clients
