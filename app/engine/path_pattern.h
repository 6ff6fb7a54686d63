// Patterns that pick files of an archive by their original path: "*" and "?"
// within one path component, "**" across any number of them. A pattern that
// names a folder picks everything below it. A pattern without a slash is a
// name: it matches a file or folder of that name in any folder, as the
// backup list's masks do. Letter case counts, as it does in the paths
// themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contract/status.h"

namespace bkvp::engine {

class PathPattern {
 public:
  explicit PathPattern(std::string pattern);
  // As the user wrote it, for messages.
  const std::string& text() const { return text_; }
  // The whole path, or a folder above it, matches.
  bool Matches(std::string_view path) const;

 private:
  std::string text_;
  std::string pattern_;  // a name pattern made into one for the whole path
};

// Whether any of the patterns matches; an empty list matches everything.
bool AnyMatches(const std::vector<PathPattern>& patterns, std::string_view path);

// Which of the patterns matched at least one of the paths noted: a pattern
// that picks nothing is most likely mistyped, and is said so.
class PatternTally {
 public:
  explicit PatternTally(const std::vector<PathPattern>& patterns);
  void Note(std::string_view path);
  // kNotFound "no file in the archive matches *.md" naming every pattern
  // that matched nothing; ok when each matched.
  Status Unmatched() const;

 private:
  const std::vector<PathPattern>& patterns_;
  std::vector<bool> matched_;
  size_t left_;
};

}  // namespace bkvp::engine
