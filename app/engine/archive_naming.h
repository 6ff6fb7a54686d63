// Archive names carry the moment of their run: "Vopalarc" + month, day,
// year - 2000, hour and minute in base 36 + ".KV", upper case.
#pragma once

#include <compare>
#include <ctime>
#include <stdexcept>
#include <string>
#include <string_view>

#include "contract/com_types.h"

namespace bkvp::engine {

// The search pattern every archive name matches (years 2000 to 2035).
constexpr const char* kArchivePattern = "Vopalarc??????.KV";

// A name character that is not a base-36 digit.
class bad_number : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string ArchiveName(const std::tm& local);
std::string ArchiveNameForDate(DATE time);

// The moment a name encodes (year without 2000 added); compares in time order.
struct ArchiveMoment {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  auto operator<=>(const ArchiveMoment&) const = default;
};
// Reads the fields at positions 8, 9, 10, 11 and 12-13; throws bad_number.
ArchiveMoment DecodeArchiveName(std::string_view name);

}  // namespace bkvp::engine
