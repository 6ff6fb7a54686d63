// The one walk over a client's section of an archive, as every client's
// restore and the program's extraction make it through IRestorer: Iterate,
// then for each object GetObjectInfo, the caller's step, and Next, until the
// section ends. What the caller does with an object differs; how the walk
// meets a failure does not.
#pragma once

#include <functional>
#include <string>

#include "contract/interfaces.h"

#pragma GCC visibility push(default)

namespace bkvp {

struct SectionObject {
  USHORT type = 0;
  std::string name;
  LONG weight = 0;
};

// What a step tells the walk: go on with the next object, or end here.
enum class WalkStep { kNext, kStop };

struct SectionWalk {
  // The failing status of Iterate or GetObjectInfo (the section could not
  // be read), E_FAIL when a step raised a negative KVError; else S_OK.
  HRESULT status = S_OK;
  bool skipped = false;    // a step raised KVError with a code >= 0 (the object was skipped)
  bool cancelled = false;  // a step raised KVError with a negative code
  bool stopped = false;    // a step said kStop
};

// Walks the section of `clsid`. A failing IsEnd ends the walk as the
// section's end does. A KVError raised by a step skips to the next object
// (code >= 0) or ends the walk (negative); any other exception, the disk
// prompt's cancellation among them, goes on to the caller.
SectionWalk ForEachObject(IRestorer* restorer, const std::string& clsid,
                          const std::function<WalkStep(const SectionObject&)>& step);

}  // namespace bkvp

#pragma GCC visibility pop
