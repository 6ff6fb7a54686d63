#include "contract/own_version.h"

#include "platform/sysinfo.h"

namespace bkvp {

namespace {

// Version a.b.c.d gives the words (a << 16 | b) and (c << 16 | d).
constexpr uint32_t kVersionHigh = (uint32_t{BKVP_VERSION_MAJOR} << 16) | BKVP_VERSION_MINOR;
constexpr uint32_t kVersionLow = (uint32_t{BKVP_VERSION_PATCH} << 16) | BKVP_VERSION_TWEAK;
constexpr uint32_t kStructVersion = 0x00010000;

// Laid out as version blocks are: signature, structure version, file version
// high and low, product version high and low. Kept in the binary even where
// nothing reads it, so that a scan of the file finds it too.
alignas(4) __attribute__((used)) const uint32_t kVersionBlock[] = {platform::kVersionSignature,
                                                                   kStructVersion,
                                                                   kVersionHigh,
                                                                   kVersionLow,
                                                                   kVersionHigh,
                                                                   kVersionLow};

}  // namespace

OwnVersionWords OwnVersion() {
  const auto block = platform::ScanVersionBlock(reinterpret_cast<const uint8_t*>(kVersionBlock),
                                                sizeof kVersionBlock);
  if (!block) return {};
  return {block->fileHigh, block->fileLow, block->productHigh, block->productLow};
}

}  // namespace bkvp
