#include "clients/navigator/profile_registry.h"

#include <filesystem>
#include <fstream>

namespace bkvp::navigator {

namespace {

// The value name with its terminating zero. Its first letter occurs nowhere
// else in it, so after a mismatch the match can only restart at that letter.
constexpr size_t kNameWithZero = sizeof kProfileLocationName;
constexpr size_t kChunkBytes = 64 * 1024;

uint32_t LittleEndian32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

}  // namespace

void ProfileLocationScanner::Feed(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (inText_) {
      if (c == '\0') {
        TextEnded();
        continue;
      }
      if (text_.size() < kMaxLocationBytes) {
        text_ += c;
        continue;
      }
      // No folder is that long: drop the text and look for the next name
      // from here on, this byte included.
      text_.clear();
      inText_ = false;
    }
    if (c == kProfileLocationName[matched_]) {
      if (++matched_ == kNameWithZero) {
        matched_ = 0;
        inText_ = true;
      }
    } else {
      matched_ = c == kProfileLocationName[0] ? 1 : 0;
    }
  }
}

void ProfileLocationScanner::TextEnded() {
  if (!text_.empty()) {
    if (locations_.size() < kMaxProfileLocations)
      locations_.push_back(text_);
    else
      tooMany_ = true;
  }
  text_.clear();
  inText_ = false;
}

ProfileRegistry ReadProfileRegistry(const std::string& path) {
  ProfileRegistry result;
  // Only a plain file: a pipe put in its place could hang the run.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return result;
  std::ifstream in(path, std::ios::binary);
  if (!in) return result;

  std::vector<char> chunk(kChunkBytes);
  ProfileLocationScanner scanner;
  for (bool first = true;; first = false) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    if (in.bad()) return result;
    const size_t n = static_cast<size_t>(in.gcount());
    const auto* bytes = reinterpret_cast<const uint8_t*>(chunk.data());
    if (first && (n < 4 || LittleEndian32(bytes) != kProfileRegistryMagic)) {
      result.status = ProfileRegistry::Status::Damaged;
      return result;
    }
    scanner.Feed(bytes, n);
    if (scanner.TooMany()) {
      result.status = ProfileRegistry::Status::Damaged;
      return result;
    }
    if (n < chunk.size()) break;
  }
  result.status = ProfileRegistry::Status::Ok;
  result.locations = scanner.Locations();
  return result;
}

}  // namespace bkvp::navigator
