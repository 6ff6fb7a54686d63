// Helpers shared by the Netscape client's tests and its command-line test.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace bkvp::netscape::testing {

using Tree = std::map<std::string, std::string>;

// Every file below the folder, by relative path, with its content.
inline Tree Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), folder).string()] =
          bkvp::testing::ReadFile(entry.path().string());
  return tree;
}

// A stand-in program file carrying a fixed version block with that file
// version high word, as the installation test reads it.
inline void WriteVersionedProgram(const std::string& path, uint32_t fileVersionHigh) {
  std::vector<uint8_t> image(64, 0);
  const uint32_t words[] = {0xFEEF04BD, 0x00010000, fileVersionHigh, 0, fileVersionHigh, 0};
  std::memcpy(image.data() + 16, words, sizeof words);
  bkvp::testing::WriteFileBytes(path, image);
}

}  // namespace bkvp::netscape::testing
