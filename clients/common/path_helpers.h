// File path helpers of the clients. Paths are native ("/" separated); the
// registry holds native paths for these programs too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bkvp::clients {

constexpr char kPathSeparator = '/';

// a + "/" + b; an empty side gives the other one, a trailing "/" on a is not
// doubled.
std::string JoinPath(std::string_view a, std::string_view b);
// The last component: "" and "/" are returned as they are, one trailing "/"
// is ignored, otherwise the text after the last "/" (or all of it).
std::string LastComponent(std::string_view path);
// Creates every missing folder on the way to path's last component (which is
// not created). Failures are ignored: the caller's file operation reports them.
void CreateParentFolders(std::string_view path);

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
// localName = LastComponent(path), so a folder's files get local names that
// begin with the folder's own name ("Mail/Inbox.mbx").
void CollectFiles(std::vector<FileItem>& list, const std::string& path,
                  const std::string& localName);

}  // namespace bkvp::clients
