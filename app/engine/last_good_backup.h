// The newest backup that left an archive, kept apart from the last run's
// record: after a failed run the tray can still say when the last good
// archive was made and where it is, and the wizard can offer its place for
// a restore and compare its size with the free space of a destination.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "app/engine/run_outcome.h"

namespace bkvp::engine {

struct GoodBackup {
  std::time_t time = 0;
  std::string archivePath;
  uint64_t archiveBytes = 0;
};

// Keeps the run as the last good backup when it was carried out and kept an
// archive; other runs leave the record as it is.
void RecordGoodBackup(const RunOutcome& outcome, std::time_t time);
// The record; without one (from before it was kept), the last backup run
// when that succeeded.
std::optional<GoodBackup> ReadLastGoodBackup();
// The last good archive's size when it is larger than `freeBytes`: a
// destination with that much room would likely not hold the next backup.
std::optional<uint64_t> LastArchiveSizeAbove(uint64_t freeBytes);
// Why a backup into `folder` ran out of room, for its summary and log: the
// folder, and the last good archive's size as a measure of what the next
// one needs.
std::string FullFolderProblem(const std::string& folder);

}  // namespace bkvp::engine
