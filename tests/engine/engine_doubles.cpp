#include "tests/engine/engine_doubles.h"

#include <sstream>

namespace bkvp::testing {

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace bkvp::testing
