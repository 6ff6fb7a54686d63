// Composes archives from the format description alone (no code shared with
// the archive service), so the reader is checked against archives it did not
// write itself; also builds damaged ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/archive/independent_reader.h"

namespace bkvp::testing::plain {

std::string LE(uint64_t value, int width);
// zlib stream, level 9, 32 KiB window: begins with 78 DA.
std::string Deflate(const std::string& bytes);
// The same, flushed to a byte boundary after every `piece` bytes, as
// earlier writers made the streams of large files out of separate blocks.
std::string DeflateInPieces(const std::string& bytes, size_t piece);
std::string FileInfo(uint32_t attributes, uint64_t creation, uint64_t access, uint64_t write,
                     const std::string& localName);
std::string KeyBlocks(const std::vector<KeyBlock>& blocks);
// One record; storedName is written as given (add "\0" yourself).
std::string Record(uint16_t type, int32_t weight, const std::string& storedName,
                   const std::string& info, const std::string& data);

struct SectionSpec {
  std::string clsid, name, options;
  std::vector<std::string> records;  // composed records
  int32_t total = 0;                 // the stored weight sum
};
std::string ComposeArchive(const std::string& user, const std::string& machine,
                           const std::string& label, double time, int32_t major, int32_t minor,
                           const std::vector<SectionSpec>& sections);

}  // namespace bkvp::testing::plain
