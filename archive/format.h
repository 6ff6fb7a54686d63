// Every offset, size and constant of the archive file. The layout drawing and
// the reasons behind the limits are in docs/archive-format.md; keep the two in
// step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bkvp::archive {

// ---- Archive header (394 bytes) ------------------------------------------
constexpr size_t kHeaderSize = 394;
constexpr size_t kMagicOffset = 0;         // "KV"
constexpr size_t kTimeOffset = 2;          // DATE, IEEE double
constexpr size_t kUserNameOffset = 10;     // fixed text, 51 bytes
constexpr size_t kMachineNameOffset = 61;  // fixed text, 51 bytes
constexpr size_t kLabelOffset = 112;       // fixed text, 256 bytes
constexpr size_t kVersionMajorOffset = 372;
constexpr size_t kVersionMinorOffset = 376;
constexpr size_t kClientCountOffset = 390;
constexpr size_t kUserNameSize = 51;
constexpr size_t kMachineNameSize = 51;
constexpr size_t kLabelSize = 256;
constexpr uint8_t kMagic[2] = {'K', 'V'};

// ---- Client table entry (110 bytes + option bytes) -------------------------
constexpr size_t kClientEntrySize = 110;
constexpr size_t kEntrySectionOffset = 0;  // U8
constexpr size_t kEntryClsidOffset = 8;    // fixed text, 39 bytes
constexpr size_t kEntryReservedOffset = 47;
constexpr size_t kEntryReservedSize = 8;
constexpr size_t kEntryNameOffset = 55;  // fixed text, 51 bytes
constexpr size_t kEntryOptionCountOffset = 106;
constexpr size_t kClsidSize = 39;
constexpr size_t kClientNameSize = 51;

// ---- Client section --------------------------------------------------------
constexpr size_t kSectionWeightSize = 4;  // I4 sum of the records' weights

// ---- Object record -----------------------------------------------------------
// D (U8), type (U2), weight (I4), L (I4); then L name bytes, I (I4), I info
// bytes, D data bytes.
constexpr size_t kRecordFixedSize = 18;
constexpr size_t kRecordDataSizeOffset = 0;
constexpr size_t kRecordTypeOffset = 8;
constexpr size_t kRecordWeightOffset = 10;
constexpr size_t kRecordNameLengthOffset = 14;
constexpr size_t kInfoLengthSize = 4;
// A record's overhead besides its name, info block and data.
constexpr size_t kRecordOverhead = kRecordFixedSize + kInfoLengthSize;

// ---- File info block -------------------------------------------------------
constexpr size_t kFileInfoFixedSize = 28;  // attributes U4, three FILETIMEs
constexpr size_t kInfoAttributesOffset = 0;
constexpr size_t kInfoCreationOffset = 4;
constexpr size_t kInfoLastAccessOffset = 12;
constexpr size_t kInfoLastWriteOffset = 20;
// The attribute bits use the lower half of their word. The upper half
// carries the file's Unix mode, as ZIP archives keep it beside the DOS
// attributes: the regular-file type 0100000 marks it present, the low
// twelve bits are the permission bits. Archives without it have 0 there.
constexpr uint32_t kAttributeBitsMask = 0xFFFF;
constexpr unsigned kModeShift = 16;
constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModePresent = 0100000;
constexpr uint32_t kModePermissionMask = 07777;

inline uint32_t AttributesWithMode(uint32_t attributes, uint32_t mode) {
  return (attributes & kAttributeBitsMask) |
         ((kModePresent | (mode & kModePermissionMask)) << kModeShift);
}

// A symbolic link is stored as a small file whose data is the link's target
// text, marked by the reparse-point attribute and the link type 0120000 in
// the mode half. Readers that know nothing of links restore that small file.
constexpr uint32_t kAttributeReparsePoint = 0x400;
constexpr uint32_t kModeLink = 0120000;
// Longest target text a stored link may have (the system's own limit).
constexpr size_t kMaxLinkTargetBytes = 4095;

inline uint32_t LinkAttributes(uint32_t attributes) {
  return (attributes & kAttributeBitsMask) | kAttributeReparsePoint |
         ((kModeLink | 0777u) << kModeShift);
}

inline bool IsStoredLink(uint32_t attributes) {
  return (attributes & kAttributeReparsePoint) &&
         ((attributes >> kModeShift) & kModeTypeMask) == kModeLink;
}

// The permission bits stored with the attributes; -1 when there are none.
inline int32_t StoredMode(uint32_t attributes) {
  const uint32_t upper = attributes >> kModeShift;
  if ((upper & kModeTypeMask) != kModePresent) return -1;
  return static_cast<int32_t>(upper & kModePermissionMask);
}

// ---- Limits ---------------------------------------------------------------
// Length-prefixed names (object names, key block names, value names) and the
// local name of a file hold at most 255 bytes plus their zero.
constexpr size_t kMaxNameBytes = 256;
constexpr size_t kMaxInfoBytes = kFileInfoFixedSize + kMaxNameBytes;
// Option bytes of one client: far above anything a client stores, low enough
// that a damaged count cannot make the reader allocate without bound.
constexpr size_t kMaxOptionBytes = 16u << 20;

// ---- Data parts --------------------------------------------------------------
// A data part of two or more bytes beginning with these is a zlib stream.
constexpr uint8_t kZlibMagic[2] = {0x78, 0xDA};
inline bool BeginsWithZlibMagic(const uint8_t* data, uint64_t size) {
  return size >= 2 && data[0] == kZlibMagic[0] && data[1] == kZlibMagic[1];
}
// File data moves in chunks of this size; no object is ever held whole.
constexpr size_t kChunkSize = 65536;

// ---- Little-endian fields ----------------------------------------------------
template <class T>
inline void PutLE(uint8_t* out, T value) {
  for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<uint8_t>(uint64_t(value) >> (8 * i));
}

template <class T>
inline T GetLE(const uint8_t* in) {
  uint64_t v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= uint64_t(in[i]) << (8 * i);
  return static_cast<T>(v);
}

inline void PutDouble(uint8_t* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutLE<uint64_t>(out, bits);
}

inline double GetDouble(const uint8_t* in) {
  const uint64_t bits = GetLE<uint64_t>(in);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace bkvp::archive
