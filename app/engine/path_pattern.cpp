#include "app/engine/path_pattern.h"

#include <vector>

namespace bkvp::engine {
namespace {

// Matches text against pattern from the given positions. Backtracking is
// bounded by remembering the positions already known to fail, so a pattern
// of many stars cannot take exponential time on a long path.
class Matcher {
 public:
  Matcher(std::string_view pattern, std::string_view text)
      : pattern_(pattern), text_(text), failed_((pattern.size() + 1) * (text.size() + 1), 0) {}

  bool Match(size_t p, size_t t) {
    const size_t at = p * (text_.size() + 1) + t;
    if (failed_[at]) return false;
    if (MatchUncached(p, t)) return true;
    failed_[at] = true;
    return false;
  }

 private:
  bool MatchUncached(size_t p, size_t t) {
    if (p == pattern_.size()) return t == text_.size();
    if (pattern_.compare(p, 2, "**") == 0) {
      // "**/" also matches no folder at all.
      size_t next = p + 2;
      if (next < pattern_.size() && pattern_[next] == '/' && Match(next + 1, t)) return true;
      for (size_t end = t; end <= text_.size(); ++end)
        if (Match(next, end)) return true;
      return false;
    }
    const char c = pattern_[p];
    if (c == '*') {
      for (size_t end = t;; ++end) {
        if (Match(p + 1, end)) return true;
        if (end == text_.size() || text_[end] == '/') return false;
      }
    }
    if (t == text_.size()) return false;
    if (c == '?') return text_[t] != '/' && Match(p + 1, t + 1);
    return c == text_[t] && Match(p + 1, t + 1);
  }

  std::string_view pattern_, text_;
  std::vector<char> failed_;
};

}  // namespace

PathPattern::PathPattern(std::string pattern) : text_(std::move(pattern)), pattern_(text_) {
  while (pattern_.size() > 1 && pattern_.back() == '/') pattern_.pop_back();
  if (pattern_.find('/') == std::string::npos) pattern_ = "**/" + pattern_;
}

bool PathPattern::Matches(std::string_view path) const {
  // The path itself, then each folder above it.
  for (size_t end = path.size();;) {
    if (Matcher(pattern_, path.substr(0, end)).Match(0, 0)) return true;
    const size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
    if (slash == std::string_view::npos || slash == 0) return false;
    end = slash;
  }
}

bool AnyMatches(const std::vector<PathPattern>& patterns, std::string_view path) {
  if (patterns.empty()) return true;
  for (const PathPattern& pattern : patterns)
    if (pattern.Matches(path)) return true;
  return false;
}

PatternTally::PatternTally(const std::vector<PathPattern>& patterns)
    : patterns_(patterns), matched_(patterns.size(), false), left_(patterns.size()) {}

void PatternTally::Note(std::string_view path) {
  for (size_t i = 0; i < patterns_.size() && left_ > 0; ++i)
    if (!matched_[i] && patterns_[i].Matches(path)) {
      matched_[i] = true;
      --left_;
    }
}

Status PatternTally::Unmatched() const {
  std::string names;
  for (size_t i = 0; i < patterns_.size(); ++i)
    if (!matched_[i]) names += (names.empty() ? "" : " or ") + patterns_[i].text();
  if (names.empty()) return {};
  return {Status::Code::kNotFound, "no file in the archive matches " + names};
}

}  // namespace bkvp::engine
