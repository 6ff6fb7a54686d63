// Patterns that pick files of an archive by their original path: "*" and "?"
// within one path component, "**" across any number of them. A pattern that
// names a folder picks everything below it. Letter case counts, as it does in
// the paths themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bkvp::engine {

class PathPattern {
 public:
  explicit PathPattern(std::string pattern);
  const std::string& text() const { return pattern_; }
  // The whole path, or a folder above it, matches.
  bool Matches(std::string_view path) const;

 private:
  std::string pattern_;
};

// Whether any of the patterns matches; an empty list matches everything.
bool AnyMatches(const std::vector<PathPattern>& patterns, std::string_view path);

}  // namespace bkvp::engine
