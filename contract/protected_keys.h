// Registry keys that no archive may write, whichever client's section holds
// them: class registrations decide which module the program loads for a
// class identifier, and the program's own keys decide what it runs and
// where it finds its clients. A restore allowed to set either would run
// code of the archive's choosing.
#pragma once

#include <string_view>

#include "platform/registry.h"

#pragma GCC visibility push(default)

namespace bkvp {

// HKEY_CLASSES_ROOT and everything below it; SOFTWARE\Classes and
// SOFTWARE\Tarvik Systems\Backup Vopal below HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE and each user of HKEY_USERS. Names compare without
// regard to letter case, and empty parts ("a\\b") count for nothing.
bool IsProtectedKey(platform::HKEY root, std::string_view subKey);
// The same for a full path ("HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID");
// a path whose root name is unknown names no key and is not protected.
bool IsProtectedKeyPath(std::string_view fullPath);

}  // namespace bkvp

#pragma GCC visibility pop
