// Where the restore wizard starts, so that the user need not look for his
// backups again: the place of the last good backup and its newest archive.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/engine/archive_list.h"
#include "app/engine/program_settings.h"

namespace bkvp::engine {

// The folder (or remote folder) of the last good backup's archive, else the
// destination of the last wizard, else that of scheduled backups; "" when
// none is known.
std::string SuggestedRestoreSource(const ProgramSettings& settings);

// The entry to preselect: the newest archive (the only one when there is
// one); -1 for an empty list.
int NewestArchiveIndex(const std::vector<ArchiveEntry>& entries);

}  // namespace bkvp::engine
