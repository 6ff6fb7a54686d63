// Text helpers. Text is UTF-8 (this platform's ANSI code page).
#pragma once

#include <string>
#include <string_view>

#pragma GCC visibility push(default)

namespace bkvp::platform {

// Letter case conversion of UTF-8 text, multi-byte aware.
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// <0, 0, >0 comparing the lower-cased forms.
int CompareIgnoreCase(std::string_view a, std::string_view b);
// The longest prefix of at most maxBytes bytes that does not end inside a
// UTF-8 sequence (fixed-size text fields are cut this way).
std::string_view CutUtf8(std::string_view text, size_t maxBytes);
// UTF-8 <-> UTF-16, lossless for any bytes: a byte that is not part of valid
// UTF-8 becomes the lone surrogate U+DC80 + (byte - 0x80) and back, so that
// every Linux file name survives the interfaces. Other lone surrogates
// become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// The text with every control character (below 0x20, and 0x7F) written as a
// visible escape ("\n", "\t", "\x1b"), so that a file name can neither break
// a log line nor forge one. Backslashes stay: registry key paths use them.
std::string EscapeControls(std::string_view text);
// A question's text on one line: the system's texts separate sentences with
// CR LF, which becomes a space.
std::string OneLine(std::string_view text);

}  // namespace bkvp::platform

#pragma GCC visibility pop
