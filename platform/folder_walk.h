// Writing a new file where it belongs and nowhere else: opening the folder it
// goes into without being led elsewhere by a symbolic link that somebody else
// put on the way, writing it whole, and naming it without replacing anything.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#pragma GCC visibility push(default)

namespace bkvp::platform {

// A symbolic link by its identity.
struct LinkIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
};

// Opens the folder at `path` (absolute, or relative to the working folder)
// one component at a time and returns an O_PATH descriptor for the *at
// calls, or -1 with errno and the last error set. A symbolic link on the way is
// followed only when it belongs to this user or to root, as the user's own
// tree and the system's links do; a link that another user owns is refused
// (ERROR_ACCESS_DENIED). Missing folders are created when `createMissing`
// is set, and entered without following anything: a link put in the place
// of a folder just created is refused too.
// `refusedLinks` names links that are never followed though they are the
// user's own: those a restore made itself, whose targets came from an
// archive (ERROR_ACCESS_DENIED too).
int OpenFolderForWriting(const std::string& path, bool createMissing,
                         const std::vector<LinkIdentity>* refusedLinks = nullptr);

// Renames `from` in `fromDir` to `to` in `toDir` without ever replacing a
// file of that name (-1 with errno EEXIST then). On file systems without
// RENAME_NOREPLACE a hard link serves; without hard links either (FAT) the
// name is looked at first, and only a file created in the instant between
// the look and the rename could still be replaced.
int RenameNoReplaceAt(int fromDir, const std::string& from, int toDir, const std::string& to);

// Writes all of `bytes`, going on after interruptions; false (errno set) on
// a failing or empty write.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace bkvp::platform

#pragma GCC visibility pop
