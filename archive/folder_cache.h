// The folder the last restored file went into, kept open for the next one:
// files of one folder follow each other in an archive, and opening a folder
// safely costs two calls per component of its path.
//
// A folder is also cleared of what killed restores left in it: temporary
// files of this program's naming (file_layer.h) that no living restore or
// backup holds locked.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "archive/file_layer.h"

namespace bkvp::archive {

class FolderCache {
 public:
  // `removed` hears the path of each leftover removed.
  explicit FolderCache(FileLayer& layer, std::function<void(const std::string& path)> removed = {})
      : layer_(layer), removed_(std::move(removed)) {}
  FolderCache(const FolderCache&) = delete;
  FolderCache& operator=(const FolderCache&) = delete;
  ~FolderCache() { Forget(); }

  // A descriptor of the folder at `path` (FileLayer::OpenFolder), owned by
  // the cache and valid until the next call; -1 with errno set on failure.
  // The kept one serves while it exists: one removed since is opened
  // afresh. One renamed meanwhile keeps receiving the files of its path
  // (it is still a folder that was opened without following links).
  int Open(const std::string& path);
  void Forget();
  // Links not followed on the way to a folder (platform::OpenFolderForWriting).
  void RefuseLinks(const std::vector<platform::LinkIdentity>* links) { refusedLinks_ = links; }

 private:
  void RemoveLeftovers(int folder, const std::string& path);

  FileLayer& layer_;
  std::function<void(const std::string& path)> removed_;
  const std::vector<platform::LinkIdentity>* refusedLinks_ = nullptr;
  std::string path_;
  int fd_ = -1;
};

}  // namespace bkvp::archive
