// Sending a finished archive to a remote folder so that it only ever
// appears there complete and checked. It travels under a temporary name of
// this program's own; its size and a hash the remote keeps (or, where the
// remote keeps none, its bytes read back) are compared with the local file;
// only then does it take an archive name that no file there has. An upload
// cut short leaves at most the temporary name, which the next run removes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/engine/progress_display.h"
#include "app/engine/remote_folder.h"

namespace bkvp::engine {

struct SentArchive {
  bool ok = false;
  bool cancelled = false;
  std::string name;  // its archive name there
  uint64_t bytes = 0;
  std::string checkedBy;  // how the copy was found equal: "its md5 hash", "reading it back"
  std::string problem;
};

// `listing` is what the folder held before: names taken already. The
// archive gets `wantedName` (the name of its run's moment) unless that is
// taken; then the next free minute's, as in a local folder.
SentArchive SendArchive(const RemoteFolder& folder, const std::string& localPath,
                        const std::string& wantedName, const std::vector<RemoteFile>& listing,
                        ProgressDisplay* display);

// This program's temporary names, ".bkvp-upload-WHO-RANDOM.part": WHO stands
// for this user, machine and state folder, so that a run never removes what
// another machine, user or state folder is still sending.
std::string UploadTempName();
bool IsOwnUploadLeftover(const std::string& name);
// Removes this program's own leftovers from the listing; returns their names.
std::vector<std::string> RemoveUploadLeftovers(const RemoteFolder& folder,
                                               const std::vector<RemoteFile>& listing);

}  // namespace bkvp::engine
