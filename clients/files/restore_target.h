// Where a saved file goes back to. A target is refused, with the reason for
// the log, when it could land somewhere the user did not choose.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bkvp::files {

struct RestoreTarget {
  std::string path;     // empty when refused
  std::string refusal;  // why, when refused
  bool ok() const { return !path.empty(); }
};

// The stored full path itself; a name that is not an absolute path here
// (for example one written on another system) is refused rather than
// resolved against the working folder.
RestoreTarget OriginalLocationTarget(const std::string& storedName);

// The stored full path below the chosen folder: /home/ann/a/b.txt restored
// into /mnt/r is /mnt/r/home/ann/a/b.txt. A name that is not an absolute
// path, or that holds a "." or ".." part, is refused.
RestoreTarget KeptFolderTarget(const std::string& folder, const std::string& storedName);

// The local name directly inside the chosen folder; a local name that is
// empty, ".", "..", or holds a "/" is refused, so nothing is written outside
// the folder.
RestoreTarget ChosenFolderTarget(const std::string& folder, const std::string& localName);

// The first of "name (n).ext", "name (n+1).ext", ... from n = *next on
// (at least 2) that `isFree` accepts, the number going before the extension
// (the text after the last dot of the file name; a leading dot starts no
// extension). *next becomes the number after the one taken, so that a
// caller keeping it per name never tries the same numbers twice.
std::string NumberedName(const std::string& path,
                         const std::function<bool(const std::string&)>& isFree, int* next);

// The local name inside a file object's options: 28 bytes of attributes and
// times, then the name up to its terminating zero.
std::string LocalNameFromOptions(const std::vector<uint8_t>& options);

}  // namespace bkvp::files
