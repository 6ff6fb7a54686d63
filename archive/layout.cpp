#include "archive/layout.h"

#include <algorithm>

#include "platform/text.h"

namespace bkvp::archive {

void PutFixedText(uint8_t* field, size_t size, std::string_view text) {
  const std::string_view cut = platform::CutUtf8(text, size - 1);
  std::fill(field, field + size, 0);
  std::copy(cut.begin(), cut.end(), field);
}

std::string GetFixedText(const uint8_t* field, size_t size) {
  const uint8_t* end = std::find(field, field + size, 0);
  return std::string(field, end);
}

std::string NameFromBytes(const uint8_t* bytes, size_t length) {
  return GetFixedText(bytes, length);
}

std::vector<uint8_t> ComposeHeader(const ArchiveHeader& header) {
  std::vector<uint8_t> out(kHeaderSize, 0);
  out[kMagicOffset] = kMagic[0];
  out[kMagicOffset + 1] = kMagic[1];
  PutDouble(&out[kTimeOffset], header.time);
  PutFixedText(&out[kUserNameOffset], kUserNameSize, header.userName);
  PutFixedText(&out[kMachineNameOffset], kMachineNameSize, header.machineName);
  PutFixedText(&out[kLabelOffset], kLabelSize, header.label);
  PutLE<int32_t>(&out[kVersionMajorOffset], header.versionMajor);
  PutLE<int32_t>(&out[kVersionMinorOffset], header.versionMinor);
  PutLE<int32_t>(&out[kClientCountOffset], header.clientCount);
  return out;
}

std::optional<ArchiveHeader> ParseHeader(const uint8_t* bytes, size_t size) {
  if (size < kHeaderSize || bytes[kMagicOffset] != kMagic[0] ||
      bytes[kMagicOffset + 1] != kMagic[1])
    return std::nullopt;
  ArchiveHeader h;
  h.time = GetDouble(bytes + kTimeOffset);
  h.userName = GetFixedText(bytes + kUserNameOffset, kUserNameSize);
  h.machineName = GetFixedText(bytes + kMachineNameOffset, kMachineNameSize);
  h.label = GetFixedText(bytes + kLabelOffset, kLabelSize);
  h.versionMajor = GetLE<int32_t>(bytes + kVersionMajorOffset);
  h.versionMinor = GetLE<int32_t>(bytes + kVersionMinorOffset);
  h.clientCount = GetLE<int32_t>(bytes + kClientCountOffset);
  return h;
}

std::vector<uint8_t> ComposeClientEntry(const ClientTableEntry& entry) {
  std::vector<uint8_t> out(kClientEntrySize, 0);
  PutLE<uint64_t>(&out[kEntrySectionOffset], entry.sectionOffset);
  PutFixedText(&out[kEntryClsidOffset], kClsidSize, entry.clsid);
  PutFixedText(&out[kEntryNameOffset], kClientNameSize, entry.name);
  PutLE<int32_t>(&out[kEntryOptionCountOffset], static_cast<int32_t>(entry.options.size()));
  out.insert(out.end(), entry.options.begin(), entry.options.end());
  return out;
}

ClientTableEntry ParseClientEntryFixed(const uint8_t* bytes, int32_t* optionCount) {
  ClientTableEntry e;
  e.sectionOffset = GetLE<uint64_t>(bytes + kEntrySectionOffset);
  e.clsid = GetFixedText(bytes + kEntryClsidOffset, kClsidSize);
  e.name = GetFixedText(bytes + kEntryNameOffset, kClientNameSize);
  *optionCount = GetLE<int32_t>(bytes + kEntryOptionCountOffset);
  return e;
}

std::vector<uint8_t> ComposeRecordHead(uint64_t dataSize, uint16_t type, int32_t weight,
                                       std::string_view name, bool nameWithZero,
                                       uint32_t infoLength) {
  const uint32_t nameLength = static_cast<uint32_t>(name.size() + (nameWithZero ? 1 : 0));
  std::vector<uint8_t> out(kRecordFixedSize + nameLength + kInfoLengthSize, 0);
  PutLE<uint64_t>(&out[kRecordDataSizeOffset], dataSize);
  PutLE<uint16_t>(&out[kRecordTypeOffset], type);
  PutLE<int32_t>(&out[kRecordWeightOffset], weight);
  PutLE<uint32_t>(&out[kRecordNameLengthOffset], nameLength);
  std::copy(name.begin(), name.end(), out.begin() + kRecordFixedSize);
  PutLE<uint32_t>(&out[kRecordFixedSize + nameLength], infoLength);
  return out;
}

RecordHead ParseRecordHeadFixed(const uint8_t* bytes, int32_t* nameLength) {
  RecordHead head;
  head.dataSize = GetLE<uint64_t>(bytes + kRecordDataSizeOffset);
  head.type = GetLE<uint16_t>(bytes + kRecordTypeOffset);
  head.weight = GetLE<int32_t>(bytes + kRecordWeightOffset);
  *nameLength = GetLE<int32_t>(bytes + kRecordNameLengthOffset);
  return head;
}

std::vector<uint8_t> ComposeFileInfo(const FileInfoBlock& info) {
  std::vector<uint8_t> out(kFileInfoFixedSize + info.localName.size() + 1, 0);
  PutLE<uint32_t>(&out[kInfoAttributesOffset], info.attributes);
  PutLE<uint64_t>(&out[kInfoCreationOffset], info.creationTime);
  PutLE<uint64_t>(&out[kInfoLastAccessOffset], info.lastAccessTime);
  PutLE<uint64_t>(&out[kInfoLastWriteOffset], info.lastWriteTime);
  std::copy(info.localName.begin(), info.localName.end(), out.begin() + kFileInfoFixedSize);
  return out;
}

FileInfoBlock ParseFileInfo(const uint8_t* bytes, size_t size) {
  FileInfoBlock info;
  info.attributes = GetLE<uint32_t>(bytes + kInfoAttributesOffset);
  info.creationTime = GetLE<uint64_t>(bytes + kInfoCreationOffset);
  info.lastAccessTime = GetLE<uint64_t>(bytes + kInfoLastAccessOffset);
  info.lastWriteTime = GetLE<uint64_t>(bytes + kInfoLastWriteOffset);
  info.localName = NameFromBytes(bytes + kFileInfoFixedSize, size - kFileInfoFixedSize);
  return info;
}

bool IsArchiveFileName(std::string_view name) {
  constexpr std::string_view kPrefix = "VOPALARC", kSuffix = ".KV";
  constexpr size_t kCodeLength = 6;
  if (name.size() != kPrefix.size() + kCodeLength + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix))
    return false;
  return std::all_of(name.begin() + kPrefix.size(), name.end() - kSuffix.size(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); });
}

}  // namespace bkvp::archive
