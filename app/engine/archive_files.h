// The files a restore of one client's section would write, as `bkvp show
// --files` lists them: original path, size and modification time. The sizes
// come from the archive service, which inflates every compressed part to
// count them (an archive stores no unpacked sizes).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "app/engine/path_pattern.h"
#include "contract/status.h"

namespace bkvp::engine {

struct ArchivedFile {
  std::string path;  // the original full path
  uint64_t size = 0;
  std::time_t modified = 0;
};

// The file objects of the section of `clsid` whose path matches one of the
// patterns (all of them when there are none), in archive order. A failure
// names the damage or what is missing; the files found before the damage
// are listed.
Status ListArchivedFiles(const std::string& archivePath, const std::string& clsid,
                         const std::vector<PathPattern>& patterns,
                         std::vector<ArchivedFile>& files);

// One file object found by the layout walk, by the offset of its record.
struct FoundFile {
  uint64_t recordOffset = 0;
  ArchivedFile file;
};

// The archive service's answer of unpacked sizes (16 bytes a file: the
// record offset and the size, little-endian) laid onto the files found:
// in order, up to the first file it has no size for (the check stopped at
// damage there). Appends to `files`.
void MergeUnpackedSizes(std::vector<FoundFile>& found, const std::vector<uint8_t>& sizes,
                        std::vector<ArchivedFile>& files);

}  // namespace bkvp::engine
