// A read-only walk over an archive's layout for "bkvp show" and the
// structural half of "bkvp verify": header, client table and every object
// record, with every length checked against the file before it is used.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/layout.h"
#include "contract/status.h"

namespace bkvp::engine {

// The header as the archive service reads it, and the size of the file.
struct InspectedHeader : archive::ArchiveHeader {
  uint64_t fileSize = 0;
};

struct InspectedClient {
  int index = 0;  // position in the client table
  std::string clsid;
  std::string name;
  uint64_t sectionOffset = 0;
  int32_t totalWeight = 0;
  uint32_t optionBytes = 0;
};

struct InspectedObject {
  uint64_t recordOffset = 0;
  uint16_t type = 0;
  int32_t weight = 0;
  uint64_t storedSize = 0;  // the data part
  bool compressed = false;  // a data part of 2+ bytes starting 0x78 0xDA
  std::string name;
  uint64_t lastWriteTime = 0;  // files: from the file info block (FILETIME)
};

struct ArchiveVisitor {
  std::function<void(const InspectedHeader&)> header;
  std::function<void(const InspectedClient&)> client;
  std::function<void(const InspectedClient&, const InspectedObject&)> object;
};

// Ok when the whole layout is sound; kDamaged with a sentence naming the
// first damaged place (the visitor has seen everything before it), or
// kNotFound / kCannotRead when the file is missing, cannot be read or is no
// regular file.
Status InspectArchive(const std::string& path, const ArchiveVisitor& visitor);

}  // namespace bkvp::engine
