#include "clients/files/entry_columns.h"

namespace bkvp::files {

EntryColumns ColumnsOf(const ListEntry& entry) {
  EntryColumns columns;
  if (const auto* folder = std::get_if<FolderEntry>(&entry)) {
    columns.include = folder->includeMasks;
    if (const std::string rule = RuleText(folder->includeRule); !rule.empty())
      columns.include += " " + rule;
    columns.exclude = folder->excludeMasks;
    if (const std::string rule = RuleText(folder->excludeRule); !rule.empty())
      columns.exclude += (columns.exclude.empty() ? "" : " ") + rule;
  } else {
    const std::string rule = RuleText(std::get<FileEntry>(entry).rule);
    columns.include = rule.empty() ? kAlwaysText : rule;
    columns.exclude = kNoExcludeText;
  }
  return columns;
}

}  // namespace bkvp::files
