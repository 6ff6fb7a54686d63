#include "contract/guid.h"

#include <cstdio>

namespace bkvp {

namespace {

constexpr size_t kGuidTextLength = 38;  // "{" 8-4-4-4-12 "}"

bool IsDashPosition(size_t i) { return i == 9 || i == 14 || i == 19 || i == 24; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[at]; the layout has been checked already.
uint32_t ReadHex(std::string_view text, size_t at, int digits) {
  uint32_t value = 0;
  for (int i = 0; i < digits; ++i)
    value = value * 16 + static_cast<uint32_t>(HexDigit(text[at + i]));
  return value;
}

}  // namespace

std::optional<GUID> GuidFromString(std::string_view text) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}')
    return std::nullopt;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    const bool ok = IsDashPosition(i) ? text[i] == '-' : HexDigit(text[i]) >= 0;
    if (!ok) return std::nullopt;
  }
  GUID g;
  g.Data1 = ReadHex(text, 1, 8);
  g.Data2 = static_cast<uint16_t>(ReadHex(text, 10, 4));
  g.Data3 = static_cast<uint16_t>(ReadHex(text, 15, 4));
  g.Data4[0] = static_cast<uint8_t>(ReadHex(text, 20, 2));
  g.Data4[1] = static_cast<uint8_t>(ReadHex(text, 22, 2));
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<uint8_t>(ReadHex(text, 25 + 2 * i, 2));
  return g;
}

std::string GuidToString(const GUID& g) {
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

}  // namespace bkvp
