// The stored text of a backup list entry (the string data of a "file<N>"
// value). A folder's fields each end with a TAB, a file's with a CR:
//
//   folder: path, recursive ("1"/"0"), include masks, include kind, include
//           count, [year, month, day when the kind is 4 or 5], exclude masks,
//           exclude kind, exclude count, [year, month, day likewise]
//   file:   path, kind, count, [year, month, day when the kind is 4 or 5]
//
// Numbers are decimal. The service, the pages and the bkvp tool all read and
// write entries through these two functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "clients/files/backup_entry.h"

namespace bkvp::files {

std::string FormatEntry(const ListEntry& entry);

// Tries the folder form first, then the file form; nullopt when neither
// holds every field it needs, or when the path is empty.
std::optional<ListEntry> ParseEntry(std::string_view text);

}  // namespace bkvp::files
