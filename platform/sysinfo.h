// System information answers for the rest of the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#pragma GCC visibility push(default)

namespace bkvp::platform {

std::string UserName();      // from the password database
std::string ComputerName();  // host name

// Operating-system version questions: platform id 2 (NT), major 10, so that
// every test for an older system is false.
struct OsVersion {
  uint32_t platformId = 2;
  uint32_t major = 10;
  uint32_t minor = 0;
  uint32_t build = 0;
};
OsVersion GetOsVersion();

// The "SystemRoot" value of the key
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion; nullopt without it.
std::optional<std::string> WindowsDirectory();

// The fixed version block: signature 0xFEEF04BD, structure version, file
// version high and low, product version high and low (little-endian 32-bit
// words, aligned on 4 bytes).
constexpr uint32_t kVersionSignature = 0xFEEF04BD;
struct VersionBlock {
  uint32_t structVersion = 0;
  uint32_t fileHigh = 0;
  uint32_t fileLow = 0;
  uint32_t productHigh = 0;
  uint32_t productLow = 0;
};
// Scans word by word for the signature; nullopt when absent, when the block
// is cut off, or when its structure version is 41 or less.
std::optional<VersionBlock> ScanVersionBlock(const uint8_t* data, size_t size);
// The same over a whole file, read in bounded chunks.
std::optional<VersionBlock> ReadFileVersionBlock(const std::string& path);

}  // namespace bkvp::platform

#pragma GCC visibility pop
