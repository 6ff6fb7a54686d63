// A reader of archives written from the format description alone, sharing no
// code with the archive service: what it accepts is what the description
// promises. Used to check the service's archives from the outside.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bkvp::testing::plain {

struct Value {
  std::string name;
  uint32_t type = 0;
  std::string data;
};
struct KeyBlock {
  std::string relativeName;
  std::vector<Value> values;
};
struct Record {
  uint64_t offset = 0;  // from the start of the file
  uint16_t type = 0;
  int32_t weight = 0;
  std::string name;              // up to the first zero
  std::string storedName;        // all L bytes
  std::string info;              // I bytes
  std::string data;              // D bytes as stored
  bool compressed = false;       // data begins with 78 DA and has 2+ bytes
  std::string content;           // data, inflated when compressed
  std::vector<KeyBlock> blocks;  // registry key records
};
struct Section {
  std::string clsid, name;
  std::string options;
  uint64_t offset = 0;
  int32_t total = 0;
  std::vector<Record> records;
};
struct Archive {
  double time = 0;
  std::string user, machine, label;
  int32_t major = 0, minor = 0;
  std::vector<Section> sections;  // in table order
};

// nullopt with *error set when the bytes break the format's rules.
std::optional<Archive> ParseArchive(const std::string& bytes, std::string* error);

}  // namespace bkvp::testing::plain
