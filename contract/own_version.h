// The version of the program or module this is linked into: the project
// version, compiled into each of them as a fixed version block and read back
// with the same scan that reads another program's file.
#pragma once

#include <cstdint>

namespace bkvp {

struct OwnVersionWords {
  uint32_t fileHigh = 0;
  uint32_t fileLow = 0;
  uint32_t productHigh = 0;  // "VersionMajor" of a client; the program's major word
  uint32_t productLow = 0;   // "VersionMinor"
};

OwnVersionWords OwnVersion();

}  // namespace bkvp
