// Opening the folder a restored file goes into without being led elsewhere
// by a symbolic link that somebody else put on the way.
#pragma once

#include <string>

#pragma GCC visibility push(default)

namespace platform {

// Opens the folder at `path` (absolute, or relative to the working folder)
// one component at a time and returns an O_PATH descriptor for the *at
// calls, or -1 with errno and the last error set. A symbolic link on the way is
// followed only when it belongs to this user or to root, as the user's own
// tree and the system's links do; a link that another user owns is refused
// (ERROR_ACCESS_DENIED). Missing folders are created when `createMissing`
// is set, and entered without following anything: a link put in the place
// of a folder just created is refused too.
int OpenFolderForWriting(const std::string& path, bool createMissing);

}  // namespace platform

#pragma GCC visibility pop
