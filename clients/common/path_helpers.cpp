#include "clients/common/path_helpers.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/files.h"

namespace bkvp::clients {

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  if (a.back() == kPathSeparator) return std::string(a) + std::string(b);
  return std::string(a) + kPathSeparator + std::string(b);
}

std::string LastComponent(std::string_view path) {
  if (path.empty() || path == "/") return std::string(path);
  std::string_view p = path;
  if (p.back() == kPathSeparator) p.remove_suffix(1);
  const size_t slash = p.rfind(kPathSeparator);
  return std::string(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

void CreateParentFolders(std::string_view path) {
  // A separator at the very start is the root, which always exists.
  for (size_t pos = path.find(kPathSeparator, 1); pos != std::string_view::npos;
       pos = path.find(kPathSeparator, pos + 1)) {
    mkdir(std::string(path.substr(0, pos)).c_str(), 0777);
  }
}

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
  for (const platform::FindData& entry : platform::FindFiles(JoinPath(path, "*.*"))) {
    if (entry.name.empty() || entry.name[0] == '.') continue;
    // A link to a folder could lead back up the tree; the folder it points
    // to is saved where it really lies, if at all.
    const std::string child = JoinPath(path, entry.name);
    if (entry.isSymlink && platform::DirectoryExists(child)) continue;
    CollectFiles(list, child, JoinPath(localName, entry.name));
  }
}

}  // namespace bkvp::clients
