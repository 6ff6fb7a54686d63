#include "contract/protected_keys.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"

namespace bkvp {
namespace {

std::vector<std::string_view> PartsOf(std::string_view subKey) {
  std::vector<std::string_view> parts;
  for (size_t start = 0; start <= subKey.size();) {
    const size_t end = std::min(subKey.find('\\', start), subKey.size());
    if (end > start) parts.push_back(subKey.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// `parts` begin with `prefix`, names compared without regard to case.
bool StartsWith(const std::vector<std::string_view>& parts, size_t first,
                std::initializer_list<std::string_view> prefix) {
  if (parts.size() - std::min(first, parts.size()) < prefix.size()) return false;
  size_t i = first;
  for (std::string_view name : prefix)
    if (!platform::EqualsIgnoreCase(parts[i++], name)) return false;
  return true;
}

// Below a user's root (HKEY_CURRENT_USER, a user of HKEY_USERS) or the
// machine's: the classes and the program's own keys.
bool ProtectedBelowHive(const std::vector<std::string_view>& parts, size_t first) {
  return StartsWith(parts, first, {"SOFTWARE", "Classes"}) ||
         StartsWith(parts, first, {"SOFTWARE", "Tarvik Systems", "Backup Vopal"});
}

}  // namespace

bool IsProtectedKey(platform::HKEY root, std::string_view subKey) {
  if (root == platform::HKEY_CLASSES_ROOT) return true;
  const std::vector<std::string_view> parts = PartsOf(subKey);
  if (root == platform::HKEY_CURRENT_USER || root == platform::HKEY_LOCAL_MACHINE)
    return ProtectedBelowHive(parts, 0);
  if (root == platform::HKEY_USERS) return ProtectedBelowHive(parts, 1);
  return false;
}

bool IsProtectedKeyPath(std::string_view fullPath) {
  const auto path = platform::SplitKeyPath(fullPath);
  return path && IsProtectedKey(path->root, path->subKey);
}

}  // namespace bkvp
