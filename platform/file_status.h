// What the file services read from the file system about one entry, in the
// Windows shape (attribute bits and FILETIMEs). Internal to the platform
// library.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace bkvp::platform {

// The entry at `path` relative to the open folder dirFd (AT_FDCWD for plain
// paths; an empty path describes dirFd itself), described as a search result
// named `name`; the name also decides the hidden bit. followLinks chooses between a link and what
// it points to. On failure sets the last error and gives nullopt.
std::optional<FindData> StatusAt(int dirFd, const std::string& path, std::string_view name,
                                 bool followLinks);

}  // namespace bkvp::platform
