// The client's 16 x 16 icon: PNG bytes embedded in the module, with a copy of
// the file shipped beside the module for programs that want a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bkvp::files {

// The embedded bytes (defined in a source generated from files_icon.png).
extern const uint8_t kFilesIconPng[];
extern const size_t kFilesIconPngSize;

// Name of the copy beside the module.
constexpr const char* kIconFileName = "BkVpFiles.png";

// The icon's handle in the contract's icon table (non-zero).
uint32_t ModuleIconHandle();

}  // namespace bkvp::files
