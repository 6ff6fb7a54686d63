#include "clients/files/backup_entry.h"

namespace bkvp::files {

const std::string& EntryPath(const ListEntry& entry) {
  return std::visit([](const auto& e) -> const std::string& { return e.path; }, entry);
}

std::vector<std::string> SplitMasks(std::string_view masks) {
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  std::vector<std::string> result;
  size_t start = 0;
  while (start <= masks.size()) {
    size_t end = masks.find('|', start);
    if (end == std::string_view::npos) end = masks.size();
    std::string_view piece = masks.substr(start, end - start);
    const size_t first = piece.find_first_not_of(kSpace);
    if (first != std::string_view::npos) {
      piece = piece.substr(first, piece.find_last_not_of(kSpace) - first + 1);
      result.emplace_back(piece);
    }
    start = end + 1;
  }
  return result;
}

std::string JoinMasks(const std::vector<std::string>& masks) {
  std::string text;
  for (const std::string& mask : masks) {
    if (!text.empty()) text += " | ";
    text += mask;
  }
  return text;
}

}  // namespace bkvp::files
