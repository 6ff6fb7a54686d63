#include "clients/common/own_version.h"

#include "platform/sysinfo.h"

namespace bkvp::clients {

namespace {

// The module's version data as the fixed version block lays it out; the
// numbers come from the project version (CMakeLists passes them in).
constexpr uint32_t kVersionHigh = (uint32_t{BKVP_VERSION_MAJOR} << 16) | BKVP_VERSION_MINOR;
constexpr uint32_t kVersionLow = (uint32_t{BKVP_VERSION_PATCH} << 16) | BKVP_VERSION_TWEAK;
constexpr uint32_t kStructVersion = 0x00010000;
alignas(4) const uint32_t kVersionData[] = {
    0,  // leading words of the resource; the scan looks for the signature
    platform::kVersionSignature,
    kStructVersion,
    kVersionHigh,
    kVersionLow,
    kVersionHigh,
    kVersionLow,
};

}  // namespace

std::optional<ModuleVersion> ReadOwnVersion() {
  const auto block = platform::ScanVersionBlock(reinterpret_cast<const uint8_t*>(kVersionData),
                                                sizeof kVersionData);
  if (!block) return std::nullopt;
  return ModuleVersion{block->fileHigh, block->fileLow, block->productHigh, block->productLow};
}

}  // namespace bkvp::clients
