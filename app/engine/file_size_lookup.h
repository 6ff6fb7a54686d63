// The sizes of the files a run saved or restored, for its summary. Files
// come folder by folder, so the folder is looked up once and each file
// within it by its name alone, instead of walking its whole path again.
#pragma once

#include <cstdint>
#include <string>

namespace bkvp::engine {

class FileSizeLookup {
 public:
  FileSizeLookup() = default;
  FileSizeLookup(const FileSizeLookup&) = delete;
  FileSizeLookup& operator=(const FileSizeLookup&) = delete;
  ~FileSizeLookup();

  // The size of the regular file at `path` (a link is not followed); 0 for
  // anything else or when it cannot be looked at.
  uint64_t SizeOf(const std::string& path);

 private:
  std::string folder_;
  int folderFd_ = -1;
};

}  // namespace bkvp::engine
