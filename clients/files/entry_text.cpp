#include "clients/files/entry_text.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace bkvp::files {

namespace {

constexpr char kFolderSeparator = '\t';
constexpr char kFileSeparator = '\r';

// Reads fields that each end with the separator.
class FieldReader {
 public:
  FieldReader(std::string_view text, char separator) : rest_(text), separator_(separator) {}

  std::optional<std::string_view> Text() {
    const size_t end = rest_.find(separator_);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view field = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    return field;
  }

  // Decimal text-to-integer conversion: leading blanks, an optional sign,
  // digits up to the first other character; no digits read as 0. Values
  // beyond 32 bits are clamped rather than wrapped.
  std::optional<int32_t> Number() {
    const auto field = Text();
    if (!field) return std::nullopt;
    size_t i = 0;
    while (i < field->size() && std::isspace(static_cast<unsigned char>((*field)[i]))) ++i;
    bool negative = false;
    if (i < field->size() && ((*field)[i] == '-' || (*field)[i] == '+'))
      negative = (*field)[i++] == '-';
    int64_t value = 0;
    for (; i < field->size() && std::isdigit(static_cast<unsigned char>((*field)[i])); ++i)
      value = std::min<int64_t>(value * 10 + ((*field)[i] - '0'), int64_t{1} << 32);
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
  }

  // Kind and count, then the date when the kind needs one (local midnight
  // of the three fields, normalised as mktime would).
  std::optional<DateRule> Rule() {
    DateRule rule;
    const auto kind = Number();
    const auto count = kind ? Number() : std::nullopt;
    if (!count) return std::nullopt;
    rule.kind = *kind;
    rule.count = *count;
    if (rule.HasDate()) {
      const auto year = Number();
      const auto month = year ? Number() : std::nullopt;
      const auto day = month ? Number() : std::nullopt;
      if (!day) return std::nullopt;
      rule.date = NormalizeDate(*year, *month, *day);
    }
    return rule;
  }

 private:
  std::string_view rest_;
  char separator_;
};

void AppendField(std::string& text, std::string_view field, char separator) {
  text += field;
  text += separator;
}

void AppendRule(std::string& text, const DateRule& rule, char separator) {
  AppendField(text, std::to_string(rule.kind), separator);
  AppendField(text, std::to_string(rule.count), separator);
  if (rule.HasDate()) {
    AppendField(text, std::to_string(rule.date.year), separator);
    AppendField(text, std::to_string(rule.date.month), separator);
    AppendField(text, std::to_string(rule.date.day), separator);
  }
}

std::optional<FolderEntry> ParseFolder(std::string_view text) {
  FieldReader in(text, kFolderSeparator);
  FolderEntry entry;
  const auto path = in.Text();
  const auto recursive = path ? in.Text() : std::nullopt;
  const auto include = recursive ? in.Text() : std::nullopt;
  const auto includeRule = include ? in.Rule() : std::nullopt;
  const auto exclude = includeRule ? in.Text() : std::nullopt;
  const auto excludeRule = exclude ? in.Rule() : std::nullopt;
  if (!excludeRule) return std::nullopt;
  entry.path = *path;
  entry.recursive = *recursive == "1";
  entry.includeMasks = *include;
  entry.includeRule = *includeRule;
  entry.excludeMasks = *exclude;
  entry.excludeRule = *excludeRule;
  return entry;
}

std::optional<FileEntry> ParseFile(std::string_view text) {
  FieldReader in(text, kFileSeparator);
  const auto path = in.Text();
  const auto rule = path ? in.Rule() : std::nullopt;
  if (!rule) return std::nullopt;
  return FileEntry{std::string(*path), *rule};
}

}  // namespace

std::string FormatEntry(const ListEntry& entry) {
  std::string text;
  if (const auto* folder = std::get_if<FolderEntry>(&entry)) {
    AppendField(text, folder->path, kFolderSeparator);
    AppendField(text, folder->recursive ? "1" : "0", kFolderSeparator);
    AppendField(text, folder->includeMasks, kFolderSeparator);
    AppendRule(text, folder->includeRule, kFolderSeparator);
    AppendField(text, folder->excludeMasks, kFolderSeparator);
    AppendRule(text, folder->excludeRule, kFolderSeparator);
  } else {
    const auto& file = std::get<FileEntry>(entry);
    AppendField(text, file.path, kFileSeparator);
    AppendRule(text, file.rule, kFileSeparator);
  }
  return text;
}

std::optional<ListEntry> ParseEntry(std::string_view text) {
  // An entry without a path would name the root of the file system.
  if (auto folder = ParseFolder(text)) {
    if (folder->path.empty()) return std::nullopt;
    return ListEntry{std::move(*folder)};
  }
  if (auto file = ParseFile(text)) {
    if (file->path.empty()) return std::nullopt;
    return ListEntry{std::move(*file)};
  }
  return std::nullopt;
}

}  // namespace bkvp::files
