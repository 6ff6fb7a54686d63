// The restore loop of the mail clients: every file object goes back to the
// full path it was saved from, every registry key object to the key it was
// saved from, as long as that lies within the client's own places on this
// machine (restore_places.h); everything else is left out and logged.
#pragma once

#include <functional>
#include <string>

#include "clients/common/restore_places.h"
#include "contract/interfaces.h"

namespace bkvp::clients {

// A client's step before a registry key is restored: go on with the key, or
// abandon the whole restore at once.
enum class KeyStep { Restore, Abandon };
using BeforeRegistryKey = std::function<KeyStep(const std::string& keyName)>;

// What a failing RestoreFile / RestoreRegistryKey status does to the loop:
// most clients go on with the next object; some end the restore with it.
enum class FailedObject { GoOn, EndRestore };

struct RestoreLoopResult {
  // E_FAIL when a KVError was caught, an object lay outside the places,
  // abandoned, or Iterate failed; with FailedObject::EndRestore the first
  // failing object status.
  HRESULT hr = S_OK;
  bool abandoned = false;  // a BeforeRegistryKey step said Abandon
};

// Iterate(serviceClsid); while IsEnd says not at end (a failing IsEnd ends the
// loop too): GetObjectInfo, then
//   file or key outside `places`: "<name> FAILED" and why, nothing written
//     (for a file, unless the person agrees to its folder when asked);
//   file: RestoreFile(name, 1, -1) (the reader creates missing folders);
//   registry key: before(name) when given, RestoreRegistryKey(name);
//   other: Message(name + ": " + unknownTypeText);
// then Next(). A failing RestoreFile / RestoreRegistryKey fails the client
// and the loop goes on, or with FailedObject::EndRestore ends it.
// A KVError marks the run failed; a code >= 0 goes on with Next(), a negative
// one stops the loop. Other exceptions (the COM error) pass to the caller.
RestoreLoopResult RestoreObjectLoop(IRestorer* restorer, IProgress* progress, RestorePlaces places,
                                    const std::string& serviceClsid,
                                    const std::string& unknownTypeText,
                                    const BeforeRegistryKey& before = {},
                                    FailedObject onFailure = FailedObject::GoOn);

}  // namespace bkvp::clients
