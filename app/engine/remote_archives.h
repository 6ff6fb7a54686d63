// The archives of a remote folder, found without downloading them: the
// names come from the folder's listing, everything else from each archive's
// header, read with a ranged read of its first bytes. Pruning there removes
// only names of the archive pattern whose header reads as an archive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contract/status.h"

#include "app/engine/archive_list.h"
#include "app/engine/pruning.h"
#include "app/engine/remote_folder.h"
#include "archive/layout.h"

namespace bkvp::engine {

// The header of an archive of the folder; nullopt when it cannot be read or
// does not read as an archive's (`problem` then says which).
std::optional<archive::ArchiveHeader> ReadRemoteHeader(const RemoteFolder& folder,
                                                       const std::string& name,
                                                       std::string* problem);

// Newest first; every entry's path is its remote place and it has no reader
// (a restore fetches the archive first). Files that are not archives are left
// out. Empty with `problem` set when the folder cannot be listed.
std::vector<ArchiveEntry> ListRemoteArchives(const RemoteFolder& folder, std::string* problem);

// The archives of a local folder or a remote place, as the restore wizard
// and `bkvp archives` offer them, newest first. A failure says why none
// could be looked for (a missing folder, an unreachable remote).
Result<std::vector<ArchiveEntry>> ListArchivesAt(const std::string& place);

// Keeps the newest `keep` archives of the folder, as PruneArchives does for
// a local one; `justWritten` (a name) is never removed. Paths in the result
// are remote places.
PruneResult PruneRemoteArchives(const RemoteFolder& folder, uint32_t keep,
                                const std::string& justWritten);

}  // namespace bkvp::engine
