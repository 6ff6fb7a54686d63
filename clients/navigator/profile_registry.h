// The profile registry of Netscape 4.5 and later, "nsreg.dat" in the Windows
// directory. It is a tree of named entries whose names and texts are kept as
// zero-terminated byte strings; all this client needs from it are the
// profile folders, each the text that follows an entry name
// "ProfileLocation" and its zero:
//
//   offset 0   magic u32 little-endian 0x76644441 ("ADdv"), then the rest of
//              the header and the tree
//   anywhere   ... "ProfileLocation" 00 <folder text> 00 ...
//
// The file comes from another program and may be damaged: it is read in
// 64 KiB chunks, a hit at the very end or a text without its zero is never
// read past the end of the file, and texts and hits are capped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bkvp::navigator {

constexpr uint32_t kProfileRegistryMagic = 0x76644441;
constexpr char kProfileLocationName[] = "ProfileLocation";
// A folder text longer than a path can be is not a folder.
constexpr size_t kMaxLocationBytes = 4095;
// More profiles than this and the file is taken as damaged.
constexpr size_t kMaxProfileLocations = 4096;

// Finds the profile folders in data fed piece by piece, in file order. The
// name and the text may be split between pieces.
class ProfileLocationScanner {
 public:
  void Feed(const uint8_t* data, size_t size);
  // The folders found so far: empty texts, over-long ones and a text still
  // open (no zero yet) are not among them.
  const std::vector<std::string>& Locations() const { return locations_; }
  // True once more than kMaxProfileLocations folders were found.
  bool TooMany() const { return tooMany_; }

 private:
  void TextEnded();

  size_t matched_ = 0;  // bytes of "ProfileLocation" and its zero matched so far
  bool inText_ = false;
  std::string text_;
  std::vector<std::string> locations_;
  bool tooMany_ = false;
};

struct ProfileRegistry {
  enum class Status { Ok, Unreadable, Damaged };
  Status status = Status::Unreadable;
  std::vector<std::string> locations;  // the profile folders, in file order
};

// Unreadable: missing, not a regular file, or a read failed. Damaged: it
// does not begin with the registry's magic number, or names too many
// profiles.
ProfileRegistry ReadProfileRegistry(const std::string& path);

}  // namespace bkvp::navigator
