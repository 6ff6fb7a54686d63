#include "clients/files/module_version.h"

#include <cstdint>

// The build passes the four parts of the product version (0.2.0.1 gives
// high word 0x00000002, low word 0x00000001).
#ifndef BKVP_VERSION_MAJOR
#error "BKVP_VERSION_MAJOR..BKVP_VERSION_TWEAK come from the build"
#endif

namespace bkvp::files {

namespace {

constexpr uint32_t kVersionHigh = (uint32_t{BKVP_VERSION_MAJOR} << 16) | BKVP_VERSION_MINOR;
constexpr uint32_t kVersionLow = (uint32_t{BKVP_VERSION_PATCH} << 16) | BKVP_VERSION_TWEAK;
constexpr uint32_t kStructVersion = 0x00010000;

// Laid out as version blocks are, so the same scan that reads another
// program's file reads this one; kept in the binary even where unused.
alignas(4) __attribute__((used)) const uint32_t kVersionBlock[] = {platform::kVersionSignature,
                                                                   kStructVersion,
                                                                   kVersionHigh,
                                                                   kVersionLow,
                                                                   kVersionHigh,
                                                                   kVersionLow};

}  // namespace

platform::VersionBlock ModuleVersion() {
  return platform::ScanVersionBlock(reinterpret_cast<const uint8_t*>(kVersionBlock),
                                    sizeof kVersionBlock)
      .value_or(platform::VersionBlock{});
}

}  // namespace bkvp::files
