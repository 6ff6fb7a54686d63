// Reading an archive that lies on another machine: it is downloaded into
// the cache folder (the free space it needs checked against its size first)
// and read from there exactly as a local archive. The copy goes when its
// last holder lets it go; one left by a process that was killed is removed
// by the next fetch.
#pragma once

#include <memory>
#include <string>

#include "app/engine/archive_list.h"
#include "app/engine/cancel_request.h"
#include "app/engine/progress_display.h"

namespace bkvp::engine {

struct FetchedArchive {
  std::string localPath;       // the file to read
  std::string shownPath;       // the archive as it was named, for messages
  Status status;               // why it could not be had; ok when it could
  std::shared_ptr<void> copy;  // keeps a downloaded copy while held
};

// A local path comes back as it is, without a look at the file.
FetchedArchive FetchArchive(const std::string& place, ProgressDisplay* display = nullptr,
                            const CancelRequest* cancel = nullptr);

// OpenArchiveForRestore for a remote place: the archive fetched and opened;
// the entry's path is the remote place and the entry keeps the copy.
Status OpenRemoteArchiveForRestore(const std::string& place, ArchiveEntry& archive);

// Where downloaded archives are kept while they are read.
std::string IncomingFolder();

}  // namespace bkvp::engine
