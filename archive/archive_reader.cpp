#include "archive/archive_reader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/errors.h"
#include "platform/text.h"

namespace bkvp::archive {

namespace {

constexpr uint32_t kErrorInvalidData = 13;
constexpr size_t kMaxErrorText = 255;
// Record heads, info blocks and small data parts come from one read of
// this much; reads over half of it go to the file directly.
constexpr size_t kWindowSize = 128 * 1024;

}  // namespace

bool ArchiveReader::Damaged(const std::string& what, uint64_t offset) {
  failure_.code = kErrorInvalidData;
  failure_.systemError = false;
  failure_.what = what;
  failure_.offset = offset;
  failure_.text = std::string(platform::CutUtf8("The archive " + path_ + " is damaged: " + what +
                                                    " at offset " + std::to_string(offset) + ".",
                                                kMaxErrorText));
  return false;
}

ssize_t ArchiveReader::ReadSome(uint64_t offset, void* buffer, size_t size) {
  const auto inWindow = [&] {
    return offset >= windowStart_ && offset - windowStart_ + size <= windowSize_;
  };
  if (!inWindow() && size <= kWindowSize / 2) {
    window_.resize(kWindowSize);
    windowStart_ = offset;
    const ssize_t n = ReadFromFile(offset, window_.data(), window_.size());
    windowSize_ = n > 0 ? static_cast<size_t>(n) : 0;
    // Cut short by the end of the file: what it holds is all there is.
    if (n >= 0 && !inWindow()) size = windowSize_;
  }
  if (inWindow()) {
    if (size > 0) std::memcpy(buffer, window_.data() + (offset - windowStart_), size);
    return static_cast<ssize_t>(size);
  }
  return ReadFromFile(offset, buffer, size);
}

ssize_t ArchiveReader::ReadFromFile(uint64_t offset, void* buffer, size_t size) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = layer_.ReadAt(file_.fd(), bytes + done, size - done, offset + done);
    if (n == 0) break;
    if (n < 0) {
      failure_.code = platform::SetLastErrorFromErrno(errno);
      failure_.systemError = true;
      failure_.text =
          std::string(platform::CutUtf8(platform::ErrorMessage(failure_.code), kMaxErrorText));
      if (!asking_ || !ask_ || !ask_(failure_.code)) return -1;
      // A medium taken out and put back is a new file to the system.
      if (const int fd = layer_.Open(path_, O_RDONLY | O_NONBLOCK, 0); fd >= 0)
        file_ = FileHandle(layer_, fd);
      continue;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool ArchiveReader::ReadExact(uint64_t offset, void* buffer, size_t size) {
  const ssize_t n = ReadSome(offset, buffer, size);
  if (n < 0) return false;
  if (static_cast<size_t>(n) < size) return Damaged("the file ends early", offset + n);
  return true;
}

bool ArchiveReader::Open(const std::string& path) {
  Close();
  failure_ = ReadFailure();
  path_ = path;
  // Without blocking: a pipe or device put where an archive is expected
  // must be refused, not waited on for a writer that never comes.
  const int fd = layer_.Open(path, O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) {
    failure_.code = platform::SetLastErrorFromErrno(errno);
    failure_.systemError = true;
    failure_.text =
        std::string(platform::CutUtf8(platform::ErrorMessage(failure_.code), kMaxErrorText));
    return false;
  }
  file_ = FileHandle(layer_, fd);
  if (!layer_.IsRegularFile(fd)) {
    Damaged("it is not a regular file", 0);
    failure_.notRegularFile = true;
    failure_.text = std::string(
        platform::CutUtf8(path + " is not a regular file, so it is no archive.", kMaxErrorText));
    Close();
    return false;
  }
  fileSize_ = layer_.Size(fd).value_or(0);
  if (!ReadHeader() || !ReadClientTable(header_.clientCount, kHeaderSize)) {
    Close();
    return false;
  }
  return true;
}

bool ArchiveReader::ReadHeader() {
  // A file shorter than the header is still told apart from a foreign file
  // by its first two bytes.
  uint8_t bytes[kHeaderSize] = {};
  const size_t size = static_cast<size_t>(std::min<uint64_t>(fileSize_, kHeaderSize));
  if (!ReadExact(0, bytes, size)) return false;
  if (size < sizeof kMagic || bytes[kMagicOffset] != kMagic[0] ||
      bytes[kMagicOffset + 1] != kMagic[1]) {
    Damaged("no archive header", 0);
    failure_.what = path_ + " is not a backup archive (no \"KV\" at its start)";
    return false;
  }
  const std::optional<ArchiveHeader> header = ParseHeader(bytes, size);
  if (!header) return Damaged("the archive header is cut off", size);
  header_ = *header;
  if (header_.clientCount < 0 ||
      static_cast<uint64_t>(header_.clientCount) > (fileSize_ - kHeaderSize) / kClientEntrySize)
    return Damaged(
        "the client count " + std::to_string(header_.clientCount) + " does not fit the archive",
        kClientCountOffset);
  return true;
}

bool ArchiveReader::ReadClientTable(int32_t count, uint64_t offset) {
  for (int32_t i = 0; i < count; ++i) {
    const std::string entryName = "client table entry " + std::to_string(i + 1);
    uint8_t fixed[kClientEntrySize];
    if (offset > fileSize_ || fileSize_ - offset < kClientEntrySize)
      return Damaged(entryName + " is cut off", offset);
    if (!ReadExact(offset, fixed, kClientEntrySize)) return false;
    int32_t optionCount = 0;
    ClientTableEntry entry = ParseClientEntryFixed(fixed, &optionCount);
    offset += kClientEntrySize;
    if (optionCount < 0 || static_cast<size_t>(optionCount) > kMaxOptionBytes ||
        static_cast<uint64_t>(optionCount) > fileSize_ - offset)
      return Damaged(entryName + " (" + entry.clsid + "): option length " +
                         std::to_string(optionCount) + " is out of range",
                     offset - 4);
    entry.options.resize(static_cast<size_t>(optionCount));
    if (!ReadExact(offset, entry.options.data(), entry.options.size())) return false;
    offset += entry.options.size();
    table_.push_back(
        {entry.sectionOffset, entry.clsid, entry.name, static_cast<uint32_t>(optionCount)});
    clients_[entry.clsid] = std::move(entry);
  }
  tableEnd_ = offset;
  return true;
}

void ArchiveReader::Close() {
  file_.Close();
  ForgetWindow();
  fileSize_ = 0;
  tableEnd_ = 0;
  header_ = ArchiveHeader();
  clients_.clear();
  table_.clear();
}

bool ArchiveReader::ReadSectionTotal(uint64_t sectionOffset, int32_t* total) {
  uint8_t bytes[kSectionWeightSize];
  if (sectionOffset > fileSize_) return Damaged("section outside the file", sectionOffset);
  if (!ReadExact(sectionOffset, bytes, sizeof bytes)) return false;
  *total = GetLE<int32_t>(bytes);
  return true;
}

bool ArchiveReader::ReadRecord(uint64_t position, RecordLocation* record) {
  if (position > fileSize_) return Damaged("record outside the file", position);
  uint8_t fixed[kRecordFixedSize];
  if (!ReadExact(position, fixed, sizeof fixed)) return false;
  RecordLocation r;
  r.position = position;
  int32_t nameLength = 0;
  r.head = ParseRecordHeadFixed(fixed, &nameLength);
  if (nameLength < 0 || static_cast<size_t>(nameLength) > kMaxNameBytes)
    return Damaged("name length " + std::to_string(nameLength) + " is out of range",
                   position + kRecordNameLengthOffset);
  r.head.nameLength = static_cast<uint32_t>(nameLength);

  // Name and info length in one read.
  uint8_t nameAndInfo[kMaxNameBytes + kInfoLengthSize];
  if (!ReadExact(position + kRecordFixedSize, nameAndInfo, r.head.nameLength + kInfoLengthSize))
    return false;
  r.head.name = NameFromBytes(nameAndInfo, r.head.nameLength);
  const int32_t infoLength = GetLE<int32_t>(nameAndInfo + r.head.nameLength);
  if (infoLength < 0 || static_cast<size_t>(infoLength) > kMaxInfoBytes)
    return Damaged("info length " + std::to_string(infoLength) + " is out of range",
                   position + kRecordFixedSize + r.head.nameLength);
  r.head.infoLength = static_cast<uint32_t>(infoLength);

  r.infoOffset = position + kRecordOverhead + r.head.nameLength;
  r.dataOffset = r.infoOffset + r.head.infoLength;
  if (r.dataOffset > fileSize_) return Damaged("info block beyond the end", r.infoOffset);
  const uint64_t room = fileSize_ - r.dataOffset;
  r.dataInFile = r.head.dataSize <= room;
  r.dataAvailable = r.dataInFile ? r.head.dataSize : room;
  r.next = r.dataInFile ? r.dataOffset + r.head.dataSize : 0;
  *record = std::move(r);
  return true;
}

bool ArchiveReader::ReadInfo(const RecordLocation& record, std::vector<uint8_t>* info) {
  info->resize(record.head.infoLength);
  return ReadExact(record.infoOffset, info->data(), info->size());
}

std::string WhyNotAnArchive(FileLayer& layer, const std::string& path) {
  const size_t slash = path.rfind('/');
  if (!IsArchiveFileName(slash == std::string::npos ? path : path.substr(slash + 1)))
    return "its name is not an archive name";
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  ArchiveReader reader(layer);
  if (!reader.Open(path)) return "it does not read as a backup archive";
  return "";
}

}  // namespace bkvp::archive
