// The files a client saves from a path it found: the file itself, or a
// folder's files below it, each with the local name stored beside it.
#pragma once

#include <string>
#include <vector>

namespace bkvp::clients {

// A file to back up: its full path and the local name stored with it.
struct FileItem {
  std::string path;
  std::string localName;
};

// Adds path to the list: nothing when it does not exist or is neither a
// regular file nor a folder (pipes, sockets, devices); a file once (a path
// already listed byte for byte is not added again); a
// folder's entries recursively in name order, leaving out names that begin
// with "." and not following symbolic links to folders. Callers start with
// localName = platform::FileNameOf(path), so a folder's files get local
// names that begin with the folder's own name ("Mail/Inbox.mbx").
void CollectFiles(std::vector<FileItem>& list, const std::string& path,
                  const std::string& localName);

}  // namespace bkvp::clients
