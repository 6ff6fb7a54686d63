// Expansion of %NAME% references in identity store roots.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bkvp::outlookexp {

// Values longer than this (with their terminating zero) stop the expansion.
constexpr size_t kEnvironmentValueLimit = 260;

// A variable of the process environment; the name is matched exactly first,
// then ignoring letter case (the registry's paths were written for a system
// whose environment names are case-insensitive). nullopt when unknown.
std::optional<std::string> EnvironmentValue(std::string_view name);

// Replaces each %NAME% with its value, scanning on after the inserted value.
// An unknown variable or a value over the limit stops the expansion: the text
// keeps what was replaced so far and the rest as written. A "%" without a
// closing one is kept as it is.
std::string ExpandEnvironmentText(std::string_view text);

}  // namespace bkvp::outlookexp
