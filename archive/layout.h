// Composing and parsing the fixed parts of an archive: header, client table
// entries, object record heads and file info blocks. Pure byte work; the
// reader and writer do the file access.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/format.h"

namespace bkvp::archive {

struct ArchiveHeader {
  double time = 0;
  std::string userName;
  std::string machineName;
  std::string label;
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;
  int32_t clientCount = 0;
};

struct ClientTableEntry {
  uint64_t sectionOffset = 0;
  std::string clsid;
  std::string name;
  std::vector<uint8_t> options;
};

// The fixed head of an object record plus its name and info block lengths.
struct RecordHead {
  uint64_t dataSize = 0;  // D
  uint16_t type = 0;
  int32_t weight = 0;
  std::string name;         // up to the first zero of the L stored bytes
  uint32_t nameLength = 0;  // L
  uint32_t infoLength = 0;  // I
};

struct FileInfoBlock {
  uint32_t attributes = 0;
  uint64_t creationTime = 0;
  uint64_t lastAccessTime = 0;
  uint64_t lastWriteTime = 0;
  std::string localName;
};

// Writes text into a fixed field of `size` bytes: at most size - 1 bytes, cut
// on a UTF-8 character boundary, zero-filled to the end.
void PutFixedText(uint8_t* field, size_t size, std::string_view text);
// The text of a fixed field up to its first zero byte (or the whole field).
std::string GetFixedText(const uint8_t* field, size_t size);
// A length-prefixed name's text: the stored bytes up to the first zero.
std::string NameFromBytes(const uint8_t* bytes, size_t length);

std::vector<uint8_t> ComposeHeader(const ArchiveHeader& header);
// Requires: at least kHeaderSize bytes. nullopt when the magic is wrong.
std::optional<ArchiveHeader> ParseHeader(const uint8_t* bytes, size_t size);

// The 110 fixed bytes followed by the option bytes.
std::vector<uint8_t> ComposeClientEntry(const ClientTableEntry& entry);
// Parses the 110 fixed bytes; the option count goes to *optionCount (may be
// negative in a damaged archive) and the options stay empty.
ClientTableEntry ParseClientEntryFixed(const uint8_t* bytes, int32_t* optionCount);

// Record head up to and including I: 18 + L + 4 bytes. `name` is stored with
// a terminating zero when nameWithZero is true (files, registry keys).
std::vector<uint8_t> ComposeRecordHead(uint64_t dataSize, uint16_t type, int32_t weight,
                                       std::string_view name, bool nameWithZero,
                                       uint32_t infoLength);
// Parses the 18 fixed bytes; the name length goes to *nameLength (may be
// negative in a damaged archive); name, nameLength and infoLength lie behind
// the name and are left unset.
RecordHead ParseRecordHeadFixed(const uint8_t* bytes, int32_t* nameLength);
std::vector<uint8_t> ComposeFileInfo(const FileInfoBlock& info);

// The name of an archive as the program writes it: "VOPALARC" + six
// characters 0-9 or A-Z + ".KV", letter case as written.
bool IsArchiveFileName(std::string_view name);
// Requires: at least kFileInfoFixedSize bytes.
FileInfoBlock ParseFileInfo(const uint8_t* bytes, size_t size);

}  // namespace bkvp::archive
