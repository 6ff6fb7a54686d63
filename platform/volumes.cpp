// The volume a path lives on: its mount point (the "drive" of disk messages)
// and the space left there.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/errors.h"
#include "platform/files.h"

namespace bkvp::platform {

namespace {

// The canonical form of the nearest existing path at or above `path`, so
// that a file about to be created is placed on its folder's volume.
std::string NearestExistingRealPath(const std::string& path) {
  std::string candidate = path.empty() ? "." : path;
  if (candidate[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) {
      std::string absolute = cwd;
      absolute += '/';
      absolute += candidate;
      candidate = std::move(absolute);
    }
  }
  struct stat st {};
  while (!candidate.empty() && stat(candidate.c_str(), &st) != 0)
    candidate = ParentFolder(candidate);
  const char* existing = candidate.empty() ? "/" : candidate.c_str();
  char resolved[PATH_MAX];
  return std::string(realpath(existing, resolved) ? resolved : existing);
}

// Mount points in /proc/self/mountinfo write blanks, tabs, newlines and
// backslashes as three-digit octal escapes.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool IsPathPrefix(const std::string& prefix, const std::string& path) {
  if (prefix == "/") return true;
  return path.compare(0, prefix.size(), prefix) == 0 &&
         (path.size() == prefix.size() || path[prefix.size()] == '/');
}

// The longest mount point holding the path; bind mounts count as their own
// volume, as the user sees them.
std::string MountPointFromTable(const std::string& realPath) {
  std::ifstream table("/proc/self/mountinfo");
  std::string best;
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
    mountPoint = Unescape(mountPoint);
    if (IsPathPrefix(mountPoint, realPath) && mountPoint.size() > best.size()) best = mountPoint;
  }
  return best;
}

// The source device of the mount at `mountPoint` ("/dev/sdb1"), or "".
std::string MountSource(const std::string& mountPoint) {
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    if (!(fields >> id >> parent >> device >> root >> point) || Unescape(point) != mountPoint)
      continue;
    const size_t separator = line.find(" - ");
    if (separator == std::string::npos) continue;
    std::istringstream tail(line.substr(separator + 3));
    std::string type, source;
    if (tail >> type >> source) return Unescape(source);
  }
  return {};
}

// The UUID the system gives the file system on `device`, found through the
// links in /dev/disk/by-uuid; it stays the same whichever port the drive
// is plugged into.
std::string UuidOfDevice(const std::string& device) {
  if (device.rfind("/dev/", 0) != 0) return {};
  std::error_code ec;
  const auto wanted = std::filesystem::canonical(device, ec);
  if (ec) return {};
  for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-uuid", ec)) {
    std::error_code linkError;
    if (std::filesystem::canonical(entry.path(), linkError) == wanted && !linkError)
      return entry.path().filename().string();
  }
  return {};
}

// Without the mount table: climb while the parent is on the same device.
std::string MountPointByDevice(const std::string& realPath) {
  std::string current = realPath;
  struct stat st {};
  if (stat(current.c_str(), &st) != 0) return "/";
  for (std::string parent = ParentFolder(current); !parent.empty();
       parent = ParentFolder(current)) {
    struct stat parentSt {};
    if (stat(parent.c_str(), &parentSt) != 0 || parentSt.st_dev != st.st_dev) break;
    current = parent;
  }
  return current;
}

}  // namespace

std::string MountPointOf(const std::string& path) {
  const std::string realPath = NearestExistingRealPath(path);
  const std::string fromTable = MountPointFromTable(realPath);
  return fromTable.empty() ? MountPointByDevice(realPath) : fromTable;
}

std::string FileSystemIdOf(const std::string& path) {
  const std::string mountPoint = MountPointOf(path);
  if (const std::string uuid = UuidOfDevice(MountSource(mountPoint)); !uuid.empty())
    return "uuid:" + uuid;
  struct statfs fs {};
  if (statfs(mountPoint.c_str(), &fs) == 0) {
    unsigned words[2];
    static_assert(sizeof words == sizeof fs.f_fsid);
    std::memcpy(words, &fs.f_fsid, sizeof words);
    if (words[0] != 0 || words[1] != 0) {
      char text[32];
      std::snprintf(text, sizeof text, "fsid:%08x%08x", words[0], words[1]);
      return text;
    }
  }
  struct stat st {};
  if (stat(mountPoint.c_str(), &st) != 0) return {};
  return "dev:" + std::to_string(static_cast<unsigned long long>(st.st_dev));
}

std::optional<uint64_t> FreeSpace(const std::string& path) {
  struct statvfs vfs {};
  if (statvfs(NearestExistingRealPath(path).c_str(), &vfs) != 0) {
    SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

bool IsSystemFileSystem(std::string_view type) {
  static constexpr std::array<std::string_view, 24> kSystemTypes = {
      "tmpfs",       "devtmpfs", "ramfs",   "proc",     "sysfs",      "cgroup",
      "cgroup2",     "devpts",   "debugfs", "tracefs",  "securityfs", "pstore",
      "bpf",         "configfs", "fusectl", "mqueue",   "hugetlbfs",  "autofs",
      "binfmt_misc", "efivarfs", "nsfs",    "squashfs", "overlay",    "fuse.portal"};
  for (std::string_view system : kSystemTypes)
    if (type == system) return true;
  return false;
}

bool HoldsUserFiles(const std::string& rootPath, std::string_view fileSystemType, bool ready) {
  if (!ready) return false;
  if (IsSystemFileSystem(fileSystemType) && rootPath != "/") return false;
  return DirectoryExists(rootPath);
}

}  // namespace bkvp::platform
