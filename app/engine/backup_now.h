// Backing up now, as the wizard's "Run immediately" and `bkvp backup` do it,
// and the bookkeeping that every backup run shares with the scheduler.
#pragma once

#include <string>
#include <vector>

#include "app/engine/run_backup.h"
#include "contract/status.h"

namespace bkvp::engine {

// Why a client has nothing to save now ("no files to back up"), or "".
std::string NothingToSave(ClientEntry& client);

// The clients of a backup or a schedule the user did not pick item by item:
// those named (class identifier or name), each of which must have something
// to save; else those of the stored selection, or every present client,
// that have something to save. kNotFound or kInvalid says why no selection
// could be made, with the first client's reason for having nothing.
Status SelectClientsForBackup(ClientList& clients, const std::vector<std::string>& named,
                              const std::vector<std::string>& stored);

// Creates the destination folder when it is missing; kCannotWrite with the
// reason ("cannot create the destination /x: Permission denied").
Status PrepareDestination(const std::string& folder);

// Work that belongs to the run after its archive is written (sending it to
// another machine): it may change the outcome before it is recorded.
using AfterBackup = std::function<void(RunOutcome&)>;

// A backup run with its bookkeeping: "TaskStatus" 1 while it runs, then 2
// when it was carried out or 0 when it was not; the last-run record is
// written when it starts (so a run that is killed reads as cut off) and again
// with the outcome. Requires: the caller holds the run lock.
RunOutcome RecordedBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                          ProgressDisplay* display, const CancelRequest* cancel, bool scheduled,
                          const BackuperFactory& createBackuper = {},
                          const AfterBackup& afterBackup = {});

// A backup refused before it began: the log holds only `logLine`, the error
// state goes on and the last-run record keeps `problem`.
RunOutcome RefusedBackup(const std::string& logLine, std::string problem, std::time_t time,
                         bool scheduled);

// Where a backup's destination comes from: named for this run, or the one
// stored by the last wizard or backup, which must still be on the drive it
// was recorded on.
enum class DestinationOrigin { kNamed, kStored };

// A backup started by the user: takes the run lock (refused while another
// run goes on, here or in another process), creates the destination, then
// RecordedBackup. A destination that took the archive is stored as the
// last one ("StorePath").
RunOutcome BackupNow(const BackupJob& job, ClientList& clients, const std::string& destination,
                     ProgressDisplay* display, const CancelRequest* cancel = nullptr,
                     const BackuperFactory& createBackuper = {},
                     DestinationOrigin origin = DestinationOrigin::kNamed);

}  // namespace bkvp::engine
