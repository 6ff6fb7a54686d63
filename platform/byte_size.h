// Sizes for people: "812 B", "4.2 KiB", "1.5 GiB".
#pragma once

#include <cstdint>
#include <string>

namespace bkvp::platform {

std::string ByteSize(uint64_t bytes);

}  // namespace bkvp::platform
