// The icon table: an icon "handle" is a non-zero number that stands for PNG
// bytes registered by a module, so the program can draw what a client hands it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#pragma GCC visibility push(default)

namespace bkvp {

// Registers the bytes (the same bytes twice give the same handle) and
// returns a non-zero handle that fits in 32 bits. sourcePath, when given,
// names a file holding the same picture.
uint32_t RegisterIcon(const uint8_t* png, size_t size, const std::string& sourcePath = "");
std::optional<std::vector<uint8_t>> IconBytes(uint32_t handle);
std::optional<std::string> IconPath(uint32_t handle);

}  // namespace bkvp

#pragma GCC visibility pop
