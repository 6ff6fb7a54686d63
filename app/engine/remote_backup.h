// A backup whose destination is a remote place (rclone:REMOTE:PATH). The
// remote is reached first, so that a run that could not deliver does no
// work; this program's leftovers there are removed. The archive is written
// into the cache folder as into any local folder (the free space it needs
// checked against the last archive at the destination), then sent (see
// remote_upload.h) and removed from the cache. A run whose archive could
// not be sent keeps it in the cache and says where; the error state goes on.
#pragma once

#include <cstdint>
#include <string>

#include "app/engine/backup_now.h"

namespace bkvp::engine {

// With its bookkeeping, as RecordedBackup; prunes the remote folder to
// `keep` archives after a delivered run (0 keeps all). Requires: the caller
// holds the run lock.
RunOutcome RemoteBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                        ProgressDisplay* display, const CancelRequest* cancel, bool scheduled,
                        uint32_t keep, const BackuperFactory& createBackuper = {});

// Where archives wait in the cache until they are sent.
std::string OutgoingFolder();

}  // namespace bkvp::engine
