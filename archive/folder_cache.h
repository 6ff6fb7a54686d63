// The folder the last restored file went into, kept open for the next one:
// files of one folder follow each other in an archive, and opening a folder
// safely costs two calls per component of its path.
#pragma once

#include <cstdint>
#include <string>

#include "archive/file_layer.h"

namespace bkvp::archive {

class FolderCache {
 public:
  explicit FolderCache(FileLayer& layer) : layer_(layer) {}
  FolderCache(const FolderCache&) = delete;
  FolderCache& operator=(const FolderCache&) = delete;
  ~FolderCache() { Forget(); }

  // A descriptor of the folder at `path` (FileLayer::OpenFolder), owned by
  // the cache and valid until the next call; -1 with errno set on failure.
  // The kept one serves only while the path still leads to that very
  // folder: one removed, renamed or replaced since is opened afresh.
  int Open(const std::string& path);
  void Forget();

 private:
  FileLayer& layer_;
  std::string path_;
  int fd_ = -1;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
};

}  // namespace bkvp::archive
