// GUIDs and their registry string form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#pragma GCC visibility push(default)

namespace bkvp {

struct GUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {};
  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
};
using IID = GUID;
using CLSID = GUID;

namespace guid_detail {
constexpr uint32_t Hex(const char* s, int digits) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = s[i];
    const uint32_t d = (c >= '0' && c <= '9')   ? uint32_t(c - '0')
                       : (c >= 'a' && c <= 'f') ? uint32_t(c - 'a' + 10)
                       : (c >= 'A' && c <= 'F') ? uint32_t(c - 'A' + 10)
                                                : throw "bad GUID literal";
    v = v * 16 + d;
  }
  return v;
}
}  // namespace guid_detail

// A GUID from a literal in registry string form, checked at compile time.
constexpr GUID MakeGuid(const char (&s)[39]) {
  if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
    throw "bad GUID literal";
  GUID g;
  g.Data1 = guid_detail::Hex(s + 1, 8);
  g.Data2 = static_cast<uint16_t>(guid_detail::Hex(s + 10, 4));
  g.Data3 = static_cast<uint16_t>(guid_detail::Hex(s + 15, 4));
  g.Data4[0] = static_cast<uint8_t>(guid_detail::Hex(s + 20, 2));
  g.Data4[1] = static_cast<uint8_t>(guid_detail::Hex(s + 22, 2));
  for (int i = 0; i < 6; ++i)
    g.Data4[2 + i] = static_cast<uint8_t>(guid_detail::Hex(s + 25 + 2 * i, 2));
  return g;
}

// Parses the registry string form (braces required, hex digits in any case);
// nullopt for anything else.
std::optional<GUID> GuidFromString(std::string_view text);
// The registry string form with upper-case hex digits.
std::string GuidToString(const GUID& guid);

}  // namespace bkvp

#pragma GCC visibility pop
