// Builds profile registry files ("nsreg.dat", "registry.dat") for the tests, including
// damaged ones: nodes are laid out one after another and any field can be
// overwritten afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "clients/common/registry_file.h"

namespace bkvp::clients::testing {

struct TestNode {
  std::string name;
  std::optional<std::string> value;  // set: an entry with this text
  std::vector<TestNode> children;    // entries and subkeys, in this order
};

inline TestNode Key(std::string name, std::vector<TestNode> children = {}) {
  return {std::move(name), std::nullopt, std::move(children)};
}
inline TestNode Entry(std::string name, std::string value) {
  return {std::move(name), std::move(value), {}};
}

// Field offsets inside a node.
constexpr uint32_t kFieldLocation = 0;
constexpr uint32_t kFieldNameOffset = 4;
constexpr uint32_t kFieldNameLength = 8;
constexpr uint32_t kFieldType = 10;
constexpr uint32_t kFieldNext = 12;
constexpr uint32_t kFieldDown = 16;
constexpr uint32_t kFieldValue = 20;
constexpr uint32_t kFieldValueLength = 24;

class RegistryFileImage {
 public:
  explicit RegistryFileImage(const TestNode& root, uint32_t magic = kRegistryFileMagic) {
    Put32(magic);
    Put32(0x00010002);  // version numbers
    Put32(0);           // free-space offset
    Put32(0);           // root offset, patched below
    Patch32(12, Lay(root, ""));
  }

  // Offset of the node with that path: "" for the root, then "/" + each
  // name below it ("/Common/Profiles/Work").
  uint32_t OffsetOf(const std::string& path) const { return offsets_.at(path); }
  void Patch16(uint32_t at, uint16_t value) {
    bytes_[at] = static_cast<uint8_t>(value);
    bytes_[at + 1] = static_cast<uint8_t>(value >> 8);
  }
  void Patch32(uint32_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  void PatchNode(const std::string& path, uint32_t field, uint32_t value) {
    Patch32(OffsetOf(path) + field, value);
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  uint32_t End() const { return static_cast<uint32_t>(bytes_.size()); }
  void Put32(uint32_t value) {
    bytes_.resize(bytes_.size() + 4);
    Patch32(End() - 4, value);
  }
  uint32_t PutText(const std::string& text) {
    const uint32_t at = End();
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return at;
  }

  // Writes the node, its name and value, then its children; links them.
  uint32_t Lay(const TestNode& node, const std::string& path) {
    const uint32_t at = End();
    offsets_[path] = at;
    bytes_.resize(bytes_.size() + 32, 0);
    Patch32(at + kFieldLocation, at);
    Patch32(at + kFieldNameOffset, PutText(node.name));
    Patch16(at + kFieldNameLength, static_cast<uint16_t>(node.name.size() + 1));
    if (node.value) {
      Patch32(at + kFieldValue, PutText(*node.value));
      Patch32(at + kFieldValueLength, static_cast<uint32_t>(node.value->size() + 1));
      return at;
    }
    uint32_t previousEntry = 0, previousKey = 0;
    for (const TestNode& child : node.children) {
      const uint32_t childAt = Lay(child, path + "/" + child.name);
      uint32_t& previous = child.value ? previousEntry : previousKey;
      if (previous)
        Patch32(previous + kFieldNext, childAt);
      else
        Patch32(at + (child.value ? kFieldValue : kFieldDown), childAt);
      previous = childAt;
    }
    return at;
  }

  std::vector<uint8_t> bytes_;
  std::map<std::string, uint32_t> offsets_;
};

}  // namespace bkvp::clients::testing
