#include "app/engine/version_info.h"

#include "platform/sysinfo.h"

namespace bkvp::engine {
namespace {

constexpr uint32_t kStructVersion = 0x00010000;
constexpr uint32_t kMostSignificant = (uint32_t{BKVP_VERSION_MAJOR} << 16) | BKVP_VERSION_MINOR;
constexpr uint32_t kLeastSignificant = (uint32_t{BKVP_VERSION_PATCH} << 16) | BKVP_VERSION_TWEAK;

// Laid out as the fixed version block: signature, structure version, file
// version high and low, product version high and low.
alignas(4) constexpr uint32_t kVersionBlock[] = {
    platform::kVersionSignature, kStructVersion,   kMostSignificant,
    kLeastSignificant,           kMostSignificant, kLeastSignificant};

}  // namespace

ProgramVersion OwnVersion() {
  const auto block = platform::ScanVersionBlock(reinterpret_cast<const uint8_t*>(kVersionBlock),
                                                sizeof kVersionBlock);
  if (!block) return {};
  return {block->fileHigh, block->fileLow, block->productHigh, block->productLow};
}

}  // namespace bkvp::engine
