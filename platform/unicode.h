// Code-point level helpers shared by the text and file-search code. Internal
// to the platform library; the public text services are in text.h.
#pragma once

#include <string>
#include <string_view>

namespace bkvp::platform::unicode {

constexpr char32_t kReplacement = 0xFFFD;
// A byte that is not part of a valid UTF-8 sequence decodes to
// kRawByteBase + byte, a lone surrogate that valid text never contains, so
// that such bytes survive a decode/encode round trip unchanged.
constexpr char32_t kRawByteBase = 0xDC00;

bool IsRawByte(char32_t c);

// Decodes one code point starting at text[pos] and advances pos; invalid
// input (overlong forms, surrogates, values past U+10FFFF, cut sequences)
// consumes one byte and gives a raw byte.
char32_t DecodeNext(std::string_view text, size_t& pos);
std::u32string Decode(std::string_view text);
// Appends the UTF-8 form of c; raw bytes are written back as themselves.
void Append(std::string& out, char32_t c);

// Simple one-to-one case mappings, independent of the process locale.
char32_t ToLowerCodePoint(char32_t c);
char32_t ToUpperCodePoint(char32_t c);

}  // namespace bkvp::platform::unicode
