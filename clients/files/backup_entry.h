// The entries of the backup list: a folder with masks and date rules, or a
// single file with one date rule.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "clients/files/date_rule.h"

namespace bkvp::files {

// Defaults are those of a folder freshly added to the list.
struct FolderEntry {
  std::string path;  // as chosen, with or without a trailing separator
  bool recursive = true;
  std::string includeMasks = "*.*";  // masks joined by " | "
  DateRule includeRule;
  std::string excludeMasks;
  DateRule excludeRule;
  friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

struct FileEntry {
  std::string path;  // full path of the file
  DateRule rule;
  friend bool operator==(const FileEntry&, const FileEntry&) = default;
};

using ListEntry = std::variant<FolderEntry, FileEntry>;

const std::string& EntryPath(const ListEntry& entry);

// Mask text cut at every "|", each piece trimmed of white space; empty
// pieces are dropped ("*.doc | *.xls" and "*.doc|*.xls" give the same list).
std::vector<std::string> SplitMasks(std::string_view masks);
// The form the property dialog writes: masks joined by " | ".
std::string JoinMasks(const std::vector<std::string>& masks);

}  // namespace bkvp::files
