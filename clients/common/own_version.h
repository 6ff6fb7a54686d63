// The module's own version, read from the fixed version block that is
// compiled into every client module (the project version, see CMakeLists).
#pragma once

#include <cstdint>
#include <optional>

namespace bkvp::clients {

struct ModuleVersion {
  uint32_t fileHigh = 0;
  uint32_t fileLow = 0;
  uint32_t productHigh = 0;  // answers "VersionMajor"
  uint32_t productLow = 0;   // answers "VersionMinor"
};

// Scans the compiled-in version data for the block; nullopt when it is
// absent or its structure version is 41 or less.
std::optional<ModuleVersion> ReadOwnVersion();

}  // namespace bkvp::clients
