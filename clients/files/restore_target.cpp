#include "clients/files/restore_target.h"

#include <algorithm>
#include <string_view>

#include "platform/files.h"

namespace bkvp::files {

namespace {
constexpr size_t kFileInfoBytes = 28;  // attributes and three file times
}

RestoreTarget OriginalLocationTarget(const std::string& storedName) {
  if (storedName.empty() || storedName.front() != '/')
    return {"", "the saved name is not an absolute path on this system"};
  if (storedName.back() == '/') return {"", "the saved name names a folder, not a file"};
  return {storedName, ""};
}

RestoreTarget KeptFolderTarget(const std::string& folder, const std::string& storedName) {
  const RestoreTarget original = OriginalLocationTarget(storedName);
  if (!original.ok()) return original;
  if (folder.empty()) return {"", "no folder was chosen"};
  for (size_t start = 1; start <= storedName.size();) {
    const size_t end = std::min(storedName.find('/', start), storedName.size());
    const std::string_view part(storedName.data() + start, end - start);
    if (part == "." || part == ".." || (part.empty() && end < storedName.size()))
      return {"", "its saved path \"" + storedName + "\" is not a plain path"};
    start = end + 1;
  }
  const std::string base = folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
  return {base + storedName, ""};
}

RestoreTarget ChosenFolderTarget(const std::string& folder, const std::string& localName) {
  if (localName.empty()) return {"", "the saved file has no file name"};
  if (localName == "." || localName == ".." || localName.find('/') != std::string::npos)
    return {"", "its file name \"" + localName + "\" would lead outside the chosen folder"};
  if (folder.empty()) return {"", "no folder was chosen"};
  return {platform::JoinPath(folder, localName), ""};
}

std::string NumberedName(const std::string& path,
                         const std::function<bool(const std::string&)>& isFree, int* next) {
  const size_t nameStart = path.rfind('/') + 1;  // 0 when there is no folder part
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) dot = path.size();
  for (*next = std::max(*next, 2);; ++*next) {
    const std::string candidate =
        path.substr(0, dot) + " (" + std::to_string(*next) + ")" + path.substr(dot);
    if (isFree(candidate)) {
      ++*next;
      return candidate;
    }
  }
}

std::string LocalNameFromOptions(const std::vector<uint8_t>& options) {
  if (options.size() <= kFileInfoBytes) return "";
  const auto begin = options.begin() + kFileInfoBytes;
  return std::string(begin, std::find(begin, options.end(), uint8_t{0}));
}

}  // namespace bkvp::files
