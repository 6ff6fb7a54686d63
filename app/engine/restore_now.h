// Restoring an archive as `bkvp restore` and the restore wizard do it: the
// archive opened, its sections matched with the installed clients, a
// selection, and the run with its bookkeeping.
#pragma once

#include <string>
#include <vector>

#include "app/engine/archive_list.h"
#include "app/engine/run_restore.h"

namespace bkvp::engine {

// Opens the file as an archive. kNotFound / kCannotRead for a missing or
// unreadable file, kNotRegistered without the archive service, kDamaged for
// one that is not a backup archive.
Status OpenArchiveForRestore(const std::string& path, ArchiveEntry& archive);

// Selects the archive's sections to restore: those named (class identifier
// or name), else every section whose client is installed and present here.
// kNotFound says why nothing can be restored.
Status SelectClientsForRestore(const std::vector<ArchiveClient>& sections,
                               const std::vector<std::string>& named, ClientList& clients);

// Where each selected client's data goes, one line each, to say before a
// restore into a folder begins: the client `intoFolderClsid` into `folder`,
// every other one back to the places it restores on this machine.
std::vector<std::string> DescribeRestoreTargets(ClientList& clients,
                                                const std::string& intoFolderClsid,
                                                const std::string& folder);

// Takes the run lock (refused while another run goes on), runs the restore
// and records its outcome as the last restore.
RunOutcome RestoreNow(ArchiveEntry& archive, ClientList& clients, ProgressDisplay* display,
                      const CancelRequest* cancel = nullptr, const ChosenFiles* chosen = nullptr,
                      bool toSavedPlaces = false);

}  // namespace bkvp::engine
