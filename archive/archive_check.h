// Checks a whole archive without writing anything, so that a verification
// needs no room of its own: every client section's object weights against
// its weight sum, every record against the file and the sections around
// it, every registry key block against its record, and every data part read
// to its end, compressed ones inflated into a sink that keeps nothing (zlib
// checks their Adler-32 at the end of the stream).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/file_layer.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"

namespace bkvp::archive {

struct ArchiveCheck {
  bool opened = false;  // the file could be read as an archive at all
  int objects = 0;      // objects found sound
  std::string problem;  // the first damaged place; empty when sound
  struct FileSize {
    uint64_t recordOffset = 0;
    uint64_t size = 0;  // of the file the object restores
  };
  std::vector<FileSize> fileSizes;  // of the file objects found sound, in file order
};

ArchiveCheck CheckArchiveFile(const std::string& path, FileLayer& layer = DefaultFileLayer());

// The same as a component of the archive service.
class ArchiveChecker : public DispatchObject<IArchiveCheck> {
 public:
  HRESULT CheckArchive(BSTR archiveName, LONG* objects, BSTR* problem) override;
  HRESULT FileSizes(BSTR archiveName, VARIANT* sizes, BSTR* problem) override;

 protected:
  ~ArchiveChecker() override = default;
};

}  // namespace bkvp::archive
