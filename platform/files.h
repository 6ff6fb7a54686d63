// File system services with the Windows shape: attribute bits, FILETIMEs,
// wildcard directory search, temporary names, mount points and free space.
// Failures return false / nullopt and set the last error (errors.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/time.h"

#pragma GCC visibility push(default)

namespace bkvp::platform {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;  // owner has no write permission
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;    // name begins with "."
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;          // no other bit
constexpr uint32_t FILE_ATTRIBUTE_TEMPORARY = 0x100;      // never set here
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;  // a symbolic link itself
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

struct FileInfo {
  uint32_t attributes = 0;
  uint32_t mode = 0;          // permission bits, 07777
  FILETIME creationTime = 0;  // birth time where reported, else last write
  FILETIME lastAccessTime = 0;
  FILETIME lastWriteTime = 0;
  uint64_t size = 0;
  bool isRegular = false;  // a plain file, not a folder, device or pipe
  bool isSymlink = false;  // a symbolic link itself (GetLinkInfo); size is its target's length
  uint64_t device = 0;     // with inode: which file it is
  uint64_t inode = 0;
};

// Follows symbolic links (the attributes of what a link points to).
std::optional<FileInfo> GetFileInfo(const std::string& path);
// The same for an open file; `name` decides the hidden bit.
std::optional<FileInfo> GetOpenFileInfo(int fd, std::string_view name);
// What is at the path itself, a symbolic link not followed.
std::optional<FileInfo> GetLinkInfo(const std::string& path);
// The text a symbolic link holds; nullopt (last error set, errno kept) when
// the path is no link or cannot be read. The At form names the link inside
// the folder `dirFd`.
std::optional<std::string> ReadLinkText(const std::string& path);
std::optional<std::string> ReadLinkTextAt(int dirFd, const std::string& name);
uint32_t GetFileAttributes(const std::string& path);
// Applies READONLY to the owner's write permission; other bits are accepted
// and have no effect here.
bool SetFileAttributes(const std::string& path, uint32_t attributes);
// The permission bits a file created with 0666 gets: 0666 less the umask.
uint32_t NewFileMode();
// The umask.
uint32_t FileCreationMask();
// Creation time cannot be set here and is ignored; a null pointer leaves
// that time unchanged.
bool SetFileTimes(const std::string& path, const FILETIME* creation, const FILETIME* lastAccess,
                  const FILETIME* lastWrite);

struct FindData {
  std::string name;  // file name only
  uint32_t attributes = 0;
  FILETIME creationTime = 0;
  FILETIME lastAccessTime = 0;
  FILETIME lastWriteTime = 0;
  uint64_t size = 0;
  uint32_t mode = 0;       // permission bits, 07777
  bool isSymlink = false;  // the entry itself is a symbolic link
  bool isRegular = false;  // a plain file (what a link points to, for a link)
  uint32_t fileType = 0;   // the S_IFMT bits (what a link points to, for a link)
  uint64_t device = 0;
  uint64_t inode = 0;
};

// FindFirstFile-style wildcard match of one name: "*" any run, "?" one
// character, "*.*" every name, "*." names without a dot; letter case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view name);
// Searches "folder/pattern" (the last component holds the wildcards; without
// wildcards it finds that one name). "." and ".." are never returned.
// Results come in name order. The last error tells a complete listing
// (ERROR_SUCCESS, or ERROR_FILE_NOT_FOUND when nothing matched) from a
// folder that is missing or cannot be read (empty list) or fails part way
// (what was read).
std::vector<FindData> FindFiles(const std::string& pathWithPattern);
bool FileExists(const std::string& path);  // anything at the path
bool DirectoryExists(const std::string& path);

// The temporary folder ($TMPDIR, default /tmp) with a trailing "/".
std::string TempFolder();
// GetTempFileName: creates a new empty file "folder/<prefix><unique>.tmp"
// exclusively, with owner-only permissions, and returns its path. The prefix
// is cut to three characters.
std::optional<std::string> CreateTempFile(const std::string& folder, std::string_view prefix);

// The mount point holding path (for a missing file, that of its nearest
// existing parent).
std::string MountPointOf(const std::string& path);
// What tells the file system mounted there from another one mounted at the
// same place later: its UUID ("uuid:..."), else the kernel's file-system id
// ("fsid:...") or device number ("dev:..."); "" when it cannot be read.
std::string FileSystemIdOf(const std::string& path);
std::optional<uint64_t> FreeSpace(const std::string& path);
// File systems that hold no user files: kernel interfaces, memory-backed
// scratch space and read-only images of installed software. Pages and the
// wizard leave volumes of these types out (except the root).
bool IsSystemFileSystem(std::string_view type);
// A mounted volume worth offering for user files: ready, and a folder; of a
// system file system type only the root.
bool HoldsUserFiles(const std::string& rootPath, std::string_view fileSystemType, bool ready);

// Path helpers on "/" separated native paths.
std::string ParentFolder(const std::string& path);  // "" when none
// The last component, trailing "/" disregarded; "" for "/".
std::string FileNameOf(const std::string& path);
// a + "/" + b; an empty side gives the other one, a trailing "/" on a is not
// doubled.
std::string JoinPath(std::string_view a, std::string_view b);
// Creates the folder and its missing parents (0777 & umask); true when it exists afterwards.
bool CreateFolders(const std::string& path);

}  // namespace bkvp::platform

#pragma GCC visibility pop
