#include "clients/files/restore_target.h"

#include <algorithm>

namespace bkvp::files {

namespace {
constexpr size_t kFileInfoBytes = 28;  // attributes and three file times
}

RestoreTarget OriginalLocationTarget(const std::string& storedName) {
  if (storedName.empty() || storedName.front() != '/')
    return {"", "the saved name is not an absolute path on this system"};
  return {storedName, ""};
}

RestoreTarget ChosenFolderTarget(const std::string& folder, const std::string& localName) {
  if (localName.empty()) return {"", "the saved file has no file name"};
  if (localName == "." || localName == ".." || localName.find('/') != std::string::npos)
    return {"", "its file name \"" + localName + "\" would lead outside the chosen folder"};
  if (folder.empty()) return {"", "no folder was chosen"};
  return {folder.back() == '/' ? folder + localName : folder + "/" + localName, ""};
}

std::string LocalNameFromOptions(const std::vector<uint8_t>& options) {
  if (options.size() <= kFileInfoBytes) return "";
  const auto begin = options.begin() + kFileInfoBytes;
  return std::string(begin, std::find(begin, options.end(), uint8_t{0}));
}

}  // namespace bkvp::files
