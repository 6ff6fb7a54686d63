#include "contract/object_walk.h"

#include "contract/errors.h"

namespace bkvp {

SectionWalk ForEachObject(IRestorer* restorer, const std::string& clsid,
                          const std::function<WalkStep(const SectionObject&)>& step) {
  SectionWalk walk;
  // Without its section the reader would walk whatever it stood on before.
  if (const HRESULT hr = restorer->Iterate(Bstr(clsid).get()); Failed(hr)) {
    walk.status = hr;
    return walk;
  }
  for (;;) {
    BOOL end = 0;
    if (Failed(restorer->IsEnd(&end)) || end) return walk;
    SectionObject object;
    Bstr name;
    if (const HRESULT hr = restorer->GetObjectInfo(&object.type, name.out(), &object.weight);
        Failed(hr)) {
      walk.status = hr;
      return walk;
    }
    object.name = name.str();
    try {
      if (step(object) == WalkStep::kStop) {
        walk.stopped = true;
        return walk;
      }
    } catch (const KVError& error) {
      if (error.code < 0) {
        walk.cancelled = true;
        walk.status = E_FAIL;
        return walk;
      }
      walk.skipped = true;
    }
    restorer->Next();
  }
}

}  // namespace bkvp
