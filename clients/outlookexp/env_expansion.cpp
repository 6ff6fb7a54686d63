#include "clients/outlookexp/env_expansion.h"

#include <cstdlib>
#include <cstring>

#include "platform/text.h"

extern char** environ;

namespace bkvp::outlookexp {

std::optional<std::string> EnvironmentValue(std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::string wanted(name);
  if (const char* value = std::getenv(wanted.c_str())) return std::string(value);
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (!equals) continue;
    if (platform::EqualsIgnoreCase(std::string_view(*entry, equals - *entry), wanted))
      return std::string(equals + 1);
  }
  return std::nullopt;
}

std::string ExpandEnvironmentText(std::string_view text) {
  std::string result(text);
  size_t from = 0;
  for (;;) {
    const size_t open = result.find('%', from);
    if (open == std::string::npos) return result;
    const size_t close = result.find('%', open + 1);
    if (close == std::string::npos) return result;
    const auto value =
        EnvironmentValue(std::string_view(result).substr(open + 1, close - open - 1));
    if (!value || value->size() + 1 > kEnvironmentValueLimit) return result;
    result.replace(open, close - open + 1, *value);
    from = open + value->size();
  }
}

}  // namespace bkvp::outlookexp
