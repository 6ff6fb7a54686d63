#include "clients/common/restore_places.h"

#include <algorithm>

#include "contract/protected_keys.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bkvp::clients {
namespace {

// Key path components, split at "\"; `plain` false for empty ones.
std::vector<std::string> KeyComponents(const std::string& keyPath, bool* plain) {
  std::vector<std::string> parts;
  *plain = !keyPath.empty();
  for (size_t start = 0; start <= keyPath.size();) {
    const size_t end = std::min(keyPath.find('\\', start), keyPath.size());
    if (end == start && end < keyPath.size()) *plain = false;
    if (end > start) parts.push_back(keyPath.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool IsBelowOrSame(const std::vector<std::string>& path, const std::vector<std::string>& place,
                   bool ignoreCase) {
  if (path.size() < place.size()) return false;
  for (size_t i = 0; i < place.size(); ++i)
    if (ignoreCase ? !platform::EqualsIgnoreCase(path[i], place[i]) : path[i] != place[i])
      return false;
  return true;
}

// One of the two lies within the other.
bool Overlap(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return IsBelowOrSame(a, b, false) || IsBelowOrSame(b, a, false);
}

bool IsForbiddenPlace(const std::vector<std::string>& place) {
  bool plain = false;
  const std::vector<std::string> home = PathComponents(platform::HomeFolder(), &plain);
  if (IsBelowOrSame(home, place, false)) return true;  // the home folder or above it
  for (const std::string& own : {platform::RegistryFolder(), platform::ProgramFolder(),
                                 platform::ConfigFolder() + "autostart"})
    if (Overlap(place, PathComponents(own, &plain))) return true;
  return false;
}

}  // namespace

std::vector<std::string> PathComponents(const std::string& path, bool* plain) {
  std::vector<std::string> parts;
  *plain = !path.empty() && path.front() == '/';
  for (size_t start = 1; *plain && start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part == "." || part == ".." || (part.empty() && end < path.size())) *plain = false;
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  if (!*plain) parts.clear();
  return parts;
}

std::optional<std::string> RelativePathBelow(const std::string& path, const std::string& folder) {
  bool pathPlain = false, folderPlain = false;
  const std::vector<std::string> inner = PathComponents(path, &pathPlain);
  const std::vector<std::string> outer = PathComponents(folder, &folderPlain);
  if (!pathPlain || !folderPlain || inner.size() <= outer.size() ||
      !IsBelowOrSame(inner, outer, false))
    return std::nullopt;
  std::string relative;
  for (size_t i = outer.size(); i < inner.size(); ++i)
    relative += (relative.empty() ? "" : "/") + inner[i];
  return relative;
}

void RestorePlaces::AddPath(const std::string& path) {
  bool plain = false;
  std::vector<std::string> place = PathComponents(path, &plain);
  if (plain && !IsForbiddenPlace(place)) paths_.push_back(std::move(place));
}

void RestorePlaces::AddKey(const std::string& keyPath) {
  bool plain = false;
  std::vector<std::string> key = KeyComponents(keyPath, &plain);
  if (plain && key.size() >= 2 && !IsProtectedKeyPath(keyPath)) keys_.push_back(std::move(key));
}

std::string RestorePlaces::Outside() const {
  return "left out: outside the places " + clientName_ + " restores";
}

std::string RestorePlaces::RefusalForFile(const std::string& storedName) const {
  bool plain = false;
  const std::vector<std::string> path = PathComponents(storedName, &plain);
  // A place itself may be a file; below a place lies everything else. A
  // name ending in "/" names no file.
  if (plain && storedName.back() != '/' &&
      std::any_of(paths_.begin(), paths_.end(),
                  [&](const auto& place) { return IsBelowOrSame(path, place, false); }))
    return "";
  return Outside();
}

std::string RestorePlaces::FolderToAskAbout(const std::string& storedName) const {
  bool plain = false;
  std::vector<std::string> folder = PathComponents(storedName, &plain);
  if (!plain || folder.size() < 2) return "";
  folder.pop_back();
  if (IsForbiddenPlace(folder) ||
      std::any_of(declined_.begin(), declined_.end(),
                  [&](const auto& f) { return IsBelowOrSame(folder, f, false); }))
    return "";
  std::string path;
  for (const std::string& part : folder) path += "/" + part;
  return path;
}

std::string RestorePlaces::QuestionAbout(const std::string& folder) const {
  return "The archive puts files of " + clientName_ + " into " + folder + ", where " + clientName_ +
         " keeps no data on this machine.\r\nRestore its files there?";
}

void RestorePlaces::Decline(const std::string& folder) {
  bool plain = false;
  std::vector<std::string> place = PathComponents(folder, &plain);
  if (plain) declined_.push_back(std::move(place));
}

std::string RestorePlaces::RefusalForKey(const std::string& keyPath) const {
  if (IsProtectedKeyPath(keyPath)) return "left out: no archive may write this key";
  bool plain = false;
  const std::vector<std::string> key = KeyComponents(keyPath, &plain);
  if (plain && std::any_of(keys_.begin(), keys_.end(),
                           [&](const auto& place) { return IsBelowOrSame(key, place, true); }))
    return "";
  return Outside();
}

}  // namespace bkvp::clients
