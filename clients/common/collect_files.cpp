#include "clients/common/collect_files.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/files.h"

namespace bkvp::clients {

namespace {

// Paths differing only in letter case name different files here, and both
// are saved.
bool Listed(const std::vector<FileItem>& list, const std::string& path) {
  for (const FileItem& item : list)
    if (item.path == path) return true;
  return false;
}

}  // namespace

void CollectFiles(std::vector<FileItem>& list, const std::string& path,
                  const std::string& localName) {
  if (path.empty()) return;
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return;
  if (S_ISREG(status.st_mode)) {
    if (!Listed(list, path)) list.push_back({path, localName});
    return;
  }
  // Pipes, sockets and devices hold no saved data: reading a pipe would
  // wait for a writer for ever, and a socket cannot be opened at all, which
  // would fail the client's whole backup.
  if (!S_ISDIR(status.st_mode)) return;
  for (const platform::FindData& entry : platform::FindFiles(platform::JoinPath(path, "*.*"))) {
    if (entry.name.empty() || entry.name[0] == '.') continue;
    // A link to a folder could lead back up the tree; the folder it points
    // to is saved where it really lies, if at all.
    const std::string child = platform::JoinPath(path, entry.name);
    if (entry.isSymlink && platform::DirectoryExists(child)) continue;
    CollectFiles(list, child, platform::JoinPath(localName, entry.name));
  }
}

}  // namespace bkvp::clients
