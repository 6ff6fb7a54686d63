// The program's own version, kept in a fixed version block compiled into the
// engine, the same block other programs' versions are read from.
#pragma once

#include <cstdint>

namespace bkvp::engine {

struct ProgramVersion {
  uint32_t fileHigh = 0;
  uint32_t fileLow = 0;
  uint32_t productHigh = 0;  // 2 for this program
  uint32_t productLow = 0;   // 1 for this program
};

ProgramVersion OwnVersion();

}  // namespace bkvp::engine
