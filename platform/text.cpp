#include "platform/text.h"

#include <algorithm>

#include "platform/unicode.h"

namespace bkvp::platform {

namespace {

template <typename Map>
std::string MapCase(std::string_view text, Map map) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();)
    unicode::Append(out, map(unicode::DecodeNext(text, pos)));
  return out;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the sequence a lead byte announces; 1 for anything else.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  return 1;
}

}  // namespace

std::string ToLower(std::string_view text) { return MapCase(text, unicode::ToLowerCodePoint); }

std::string ToUpper(std::string_view text) { return MapCase(text, unicode::ToUpperCodePoint); }

int CompareIgnoreCase(std::string_view a, std::string_view b) {
  // Byte order of UTF-8 is code point order, so comparing the lowered texts
  // byte by byte compares characters.
  const std::string lowerA = ToLower(a);
  const std::string lowerB = ToLower(b);
  return lowerA.compare(lowerB) < 0 ? -1 : (lowerA == lowerB ? 0 : 1);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return CompareIgnoreCase(a, b) == 0;
}

std::string_view CutUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  // Step back over at most three continuation bytes to the lead byte; cut
  // before it only when its sequence would run past the limit. Stray
  // continuation bytes (invalid text) are cut like single bytes.
  size_t start = maxBytes;
  while (start > 0 && maxBytes - start < 3 &&
         IsContinuation(static_cast<unsigned char>(text[start])))
    --start;
  const size_t length = SequenceLength(static_cast<unsigned char>(text[start]));
  if (start < maxBytes && start + length > maxBytes) return text.substr(0, start);
  return text.substr(0, maxBytes);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    // Most names are ASCII, which needs no decoding.
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      out.push_back(static_cast<char16_t>(text[pos++]));
      continue;
    }
    // A byte that is no part of valid UTF-8 crosses as the lone surrogate
    // U+DC80 + byte, which UTF-16 can hold and valid text never contains.
    char32_t c = unicode::DecodeNext(text, pos);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF && !unicode::IsRawByte(c)) {
      c = unicode::kReplacement;
    }
    unicode::Append(out, c);
  }
  return out;
}

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const bool lineBreak = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    line += lineBreak ? ' ' : text[i];
    if (lineBreak) ++i;
  }
  return line;
}

std::string EscapeControls(std::string_view text) {
  const auto isControl = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  };
  if (std::none_of(text.begin(), text.end(), isControl)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  static const char kHex[] = "0123456789abcdef";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (isControl(c)) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace bkvp::platform
