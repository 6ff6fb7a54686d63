// Directory search with the wildcard rules of FindFirstFile.
//
// Before matching, a pattern is rewritten the way that function does it:
// "*.*" becomes "*"; every "?" becomes a dos-"?" (one character, but never a
// dot, and nothing at all before a dot or at the end of the name, so "a?.txt"
// also finds "a.txt"); a "*" followed by "." becomes a dos-"*" (any run that
// does not swallow the name's last dot); a "." followed by "*", "?" or the
// end becomes a dos-"." (a dot, or nothing at the end of the name). Hence
// "*." finds the names without a dot. Letter case is ignored throughout.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/errors.h"
#include "platform/file_status.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unicode.h"

namespace bkvp::platform {

namespace {

enum class TokenKind { kLiteral, kStar, kDosStar, kDosQuestion, kDosDot };

struct Token {
  TokenKind kind;
  char32_t literal = 0;
};

std::vector<Token> CompilePattern(const std::u32string& pattern) {
  std::vector<Token> tokens;
  if (pattern == U"*.*") return {Token{TokenKind::kStar}};
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char32_t c = pattern[i];
    const char32_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    if (c == U'?') {
      tokens.push_back({TokenKind::kDosQuestion});
    } else if (c == U'*') {
      tokens.push_back({next == U'.' ? TokenKind::kDosStar : TokenKind::kStar});
    } else if (c == U'.' && (next == U'*' || next == U'?' || next == 0)) {
      tokens.push_back({TokenKind::kDosDot});
    } else {
      tokens.push_back({TokenKind::kLiteral, c});
    }
  }
  return tokens;
}

// Dynamic programming over (token, name position): reachable[n] says whether
// the tokens so far can consume exactly the first n characters.
bool MatchTokens(const std::vector<Token>& tokens, const std::u32string& name) {
  const size_t length = name.size();
  // lastDot: index of the name's final dot, or length when it has none.
  const size_t lastDot = name.rfind(U'.') == std::u32string::npos ? length : name.rfind(U'.');
  std::vector<char> reachable(length + 1, 0);
  std::vector<char> next(length + 1, 0);
  reachable[0] = 1;
  for (const Token& token : tokens) {
    std::fill(next.begin(), next.end(), 0);
    for (size_t n = 0; n <= length; ++n) {
      if (!reachable[n]) continue;
      const bool atEnd = n == length;
      switch (token.kind) {
        case TokenKind::kLiteral:
          if (!atEnd && name[n] == token.literal) next[n + 1] = 1;
          break;
        case TokenKind::kStar:
          // Everything from the first reachable position on; later ones add nothing.
          std::fill(next.begin() + static_cast<long>(n), next.end(), 1);
          n = length;
          break;
        case TokenKind::kDosStar: {
          // Any run that stops at or before the final dot.
          const size_t limit = (lastDot >= n && lastDot < length) ? lastDot : length;
          for (size_t m = n; m <= limit; ++m) next[m] = 1;
          break;
        }
        case TokenKind::kDosQuestion:
          if (atEnd || name[n] == U'.')
            next[n] = 1;
          else
            next[n + 1] = 1;
          break;
        case TokenKind::kDosDot:
          if (atEnd)
            next[n] = 1;
          else if (name[n] == U'.')
            next[n + 1] = 1;
          break;
      }
    }
    reachable.swap(next);
  }
  return reachable[length];
}

bool HasWildcards(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

// A link is reported with the attributes of its target; a dangling link with
// its own.
std::optional<FindData> Describe(int dirFd, const std::string& name) {
  auto own = StatusAt(dirFd, name, name, false);
  if (!own || !own->isSymlink) return own;
  auto target = StatusAt(dirFd, name, name, true);
  if (!target) return own;
  target->isSymlink = true;
  return target;
}

void SortByName(std::vector<FindData>& found) {
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(found.size());
  for (size_t i = 0; i < found.size(); ++i) keys.emplace_back(ToLower(found[i].name), i);
  std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return found[a.second].name < found[b.second].name;
  });
  std::vector<FindData> sorted;
  sorted.reserve(found.size());
  for (const auto& key : keys) sorted.push_back(std::move(found[key.second]));
  found.swap(sorted);
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  return MatchTokens(CompilePattern(unicode::Decode(ToLower(pattern))),
                     unicode::Decode(ToLower(name)));
}

std::vector<FindData> FindFiles(const std::string& pathWithPattern) {
  const size_t slash = pathWithPattern.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : pathWithPattern.substr(0, slash));
  const std::string pattern =
      slash == std::string::npos ? pathWithPattern : pathWithPattern.substr(slash + 1);
  std::vector<FindData> found;
  if (pattern.empty() || pattern == "." || pattern == "..") {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return found;
  }

  const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return found;
  }
  if (!HasWildcards(pattern)) {
    // A plain name is looked up as it is written: names on this system are
    // case-sensitive, and a lookup must not cost a scan of the folder.
    if (auto data = Describe(dirFd, pattern)) found.push_back(std::move(*data));
    close(dirFd);
  } else if (DIR* dir = fdopendir(dirFd)) {  // owns dirFd from here on
    const auto tokens = CompilePattern(unicode::Decode(ToLower(pattern)));
    int readError = 0;
    uint32_t entryError = 0;
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir);
      if (!entry) {
        readError = errno;
        break;
      }
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (!MatchTokens(tokens, unicode::Decode(ToLower(name)))) continue;
      // An entry removed between listing and looking is simply not found;
      // one that cannot be looked at (a folder without search permission)
      // makes the listing incomplete.
      if (auto data = Describe(dirFd, name))
        found.push_back(std::move(*data));
      else if (GetLastError() != ERROR_FILE_NOT_FOUND && entryError == 0)
        entryError = GetLastError();
    }
    closedir(dir);
    if (readError != 0 || entryError != 0) {
      SortByName(found);
      if (readError != 0)
        SetLastErrorFromErrno(readError);
      else
        SetLastError(entryError);
      return found;
    }
  } else {
    SetLastErrorFromErrno(errno);
    close(dirFd);
    return found;
  }
  SortByName(found);
  SetLastError(found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
  return found;
}

}  // namespace bkvp::platform
