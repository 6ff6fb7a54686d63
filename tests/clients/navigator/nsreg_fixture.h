// Builds profile registry files ("nsreg.dat") the way Netscape 4.5 and later
// lay them out: a 128-byte header starting with the magic number, then the
// tree's nodes (binary offsets and lengths) with their names and texts as
// zero-terminated strings. Each profile is a key named after the user whose
// "ProfileLocation" entry holds the profile folder.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bkvp::testing {

struct RegistryProfile {
  std::string user;
  std::string folder;
};

class ProfileRegistryImage {
 public:
  explicit ProfileRegistryImage(uint32_t magic = 0x76644441) {
    Word(magic);
    Half(1);  // format version 1.2
    Half(2);
    Word(0);    // free space offset, patched by Bytes()
    Word(128);  // root node
    bytes_.resize(128, 0);
    Node("/");
    Node("Users");
    Text("CurrentUser", "alice");
  }

  ProfileRegistryImage& Profile(const RegistryProfile& profile) {
    Node(profile.user);
    Text("ProfileLocation", profile.folder);
    Text("NCHaveBeenPrompted", "TRUE");
    return *this;
  }
  // Raw bytes appended as they are (for damaged files).
  ProfileRegistryImage& Raw(const std::string& raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = bytes_;
    const uint32_t size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<uint8_t>(size >> (8 * i));
    return out;
  }

 private:
  void Word(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Half(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void Zstring(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }
  // A 32-byte node (its own offset, name offset and length, links) and its name.
  void Node(const std::string& name) {
    const uint32_t at = static_cast<uint32_t>(bytes_.size());
    Word(at);
    Word(at + 32);
    Half(static_cast<uint16_t>(name.size() + 1));
    Half(0x0001);
    for (int i = 0; i < 5; ++i) Word(i == 1 ? at + 32 + 64 : 0);
    Zstring(name);
  }
  // An entry node: the name, then the text right behind it.
  void Text(const std::string& name, const std::string& text) {
    Node(name);
    Zstring(text);
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace bkvp::testing
