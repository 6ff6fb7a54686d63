// The module's own version data, compiled into it as a fixed version block.
#pragma once

#include "platform/sysinfo.h"

namespace bkvp::files {

// Read back from the block this module carries; zeros if it cannot be found.
platform::VersionBlock ModuleVersion();

}  // namespace bkvp::files
