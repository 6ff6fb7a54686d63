#include "archive/archive_check.h"

#include <algorithm>
#include <map>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/compress_stream.h"
#include "archive/registry_capture.h"

namespace bkvp::archive {

namespace {

// One client section as the reader reaches it: by the offset in the table.
struct Section {
  uint64_t offset = 0;
  std::string client;
};

class Checker {
 public:
  explicit Checker(ArchiveReader& reader, std::vector<ArchiveCheck::FileSize>& sizes)
      : reader_(reader), sizes_(sizes), buffer_(kChunkSize) {}

  std::string Run(int& objects);

 private:
  // Walks the section as a restore does; `end` receives where it stopped.
  std::string CheckSection(const Section& section, uint64_t boundary, uint64_t* end, int& objects);
  std::string CheckData(const RecordLocation& record);
  // Also counts the bytes the stream inflates to.
  std::string CheckCompressed(const RecordLocation& record, uint64_t* unpacked);
  bool ReadThrough(uint64_t offset, uint64_t size);
  // True when [begin, end) is a run of whole sections: those of clients
  // whose later section replaced them in the table, which stay unreferenced.
  bool HoldsWholeSections(uint64_t begin, uint64_t end);
  std::string Failure() const { return reader_.failure().text; }

  ArchiveReader& reader_;
  std::vector<ArchiveCheck::FileSize>& sizes_;
  std::vector<uint8_t> buffer_;
  Compress::ZlibState inflateState_{Compress::ZlibState::Direction::kInflate};
  Compress::ChunkSink discard_{nullptr};
};

std::string Checker::Run(int& objects) {
  // Sections in file order, each once, whatever number of entries point at it.
  std::map<uint64_t, std::string> byOffset;
  for (const auto& [clsid, entry] : reader_.clients())
    byOffset.emplace(entry.sectionOffset, entry.name.empty() ? clsid : entry.name);
  std::vector<Section> sections;
  for (const auto& [offset, client] : byOffset) sections.push_back({offset, client});

  uint64_t position = reader_.tableEnd();
  std::string before = "the client table";
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& section = sections[i];
    if (section.offset < position)
      return "client " + section.client + ": its section at offset " +
             std::to_string(section.offset) + " overlaps " + before;
    if (!HoldsWholeSections(position, section.offset))
      return std::to_string(section.offset - position) + " bytes at offset " +
             std::to_string(position) + ", after " + before +
             ", belong to no object: a weight sum is damaged";
    const uint64_t boundary = i + 1 < sections.size() ? sections[i + 1].offset : reader_.fileSize();
    if (std::string problem = CheckSection(section, boundary, &position, objects); !problem.empty())
      return problem;
    before = "the section of client " + section.client;
  }
  if (!HoldsWholeSections(position, reader_.fileSize()))
    return std::to_string(reader_.fileSize() - position) + " bytes at offset " +
           std::to_string(position) + ", after " + before +
           ", belong to no object: a weight sum is damaged";
  return "";
}

std::string Checker::CheckSection(const Section& section, uint64_t boundary, uint64_t* end,
                                  int& objects) {
  const std::string where = "client " + section.client;
  int32_t total = 0;
  if (!reader_.ReadSectionTotal(section.offset, &total)) return where + ": " + Failure();
  uint64_t position = section.offset + kSectionWeightSize;
  // Added up and compared as the reader does, so the walk ends where a
  // restore's walk ends.
  uint32_t passed = 0;
  for (int index = 1; static_cast<int32_t>(passed) < total; ++index) {
    RecordLocation record;
    if (!reader_.ReadRecord(position, &record))
      return where + ", object " + std::to_string(index) + ": " + Failure();
    const std::string object =
        where + ", object " + std::to_string(index) + " (" + record.head.name + ")";
    if (!record.dataInFile) return object + ": its data part runs past the end of the archive";
    if (record.next > boundary) return object + ": its record runs into the next client section";
    if (std::string problem = CheckData(record); !problem.empty())
      return object + ": its data is damaged (" + problem + ")";
    ++objects;
    passed += static_cast<uint32_t>(record.head.weight);
    position = record.next;
  }
  if (static_cast<int32_t>(passed) != total)
    return where + ": the weights of its objects add up to " +
           std::to_string(static_cast<int32_t>(passed)) + ", not to the section's sum " +
           std::to_string(total);
  *end = position;
  return "";
}

std::string Checker::CheckData(const RecordLocation& record) {
  const uint64_t size = record.head.dataSize;
  switch (record.head.type) {
    case kObjectFile: {
      if (record.head.infoLength < kFileInfoFixedSize) return "its file info block is too short";
      uint8_t magic[2] = {};
      if (size >= sizeof magic && !reader_.ReadExact(record.dataOffset, magic, sizeof magic))
        return Failure();
      uint64_t unpacked = size;
      std::string problem;
      if (BeginsWithZlibMagic(magic, size))
        problem = CheckCompressed(record, &unpacked);
      else if (!ReadThrough(record.dataOffset, size))
        problem = Failure();
      if (problem.empty()) sizes_.push_back({record.position, unpacked});
      return problem;
    }
    case kObjectRegistryKey: {
      uint64_t offset = record.dataOffset;
      const bool whole = WalkKeyBlocks(size,
                                       [&](void* buffer, size_t n) {
                                         if (!reader_.ReadExact(offset, buffer, n)) return false;
                                         offset += n;
                                         return true;
                                       },
                                       {});
      if (!whole)
        return reader_.failure().systemError ? Failure()
                                             : "its registry key blocks do not fill its record";
      return "";
    }
    default:
      break;
  }
  return ReadThrough(record.dataOffset, size) ? "" : Failure();
}

std::string Checker::CheckCompressed(const RecordLocation& record, uint64_t* unpacked) {
  const uint64_t size = record.head.dataSize;
  uint64_t done = 0;
  size_t unused = 0;
  *unpacked = 0;
  try {
    discard_.Attach([unpacked](const uint8_t*, size_t n) { *unpacked += n; });
    Compress::InflateStream stream(discard_, inflateState_);
    while (done < size && !stream.ended()) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), size - done));
      if (!reader_.ReadExact(record.dataOffset + done, buffer_.data(), n)) return Failure();
      stream.Write(buffer_.data(), n);
      done += n;
    }
    unused = stream.unused();
    stream.Finish();
    discard_.Close();
  } catch (const Compress::CCompressException&) {
    return "its compressed data does not inflate to a whole stream";
  }
  const uint64_t trailing = size - done + unused;
  if (trailing > 0)
    return std::to_string(trailing) + " bytes follow the end of its compressed data";
  return "";
}

bool Checker::ReadThrough(uint64_t offset, uint64_t size) {
  for (uint64_t done = 0; done < size;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), size - done));
    if (!reader_.ReadExact(offset + done, buffer_.data(), n)) return false;
    done += n;
  }
  return true;
}

bool Checker::HoldsWholeSections(uint64_t begin, uint64_t end) {
  uint64_t position = begin;
  while (position < end) {
    int32_t total = 0;
    if (end - position < kSectionWeightSize || !reader_.ReadSectionTotal(position, &total))
      return false;
    position += kSectionWeightSize;
    uint32_t passed = 0;
    while (static_cast<int32_t>(passed) < total) {
      RecordLocation record;
      if (!reader_.ReadRecord(position, &record) || !record.dataInFile || record.next > end)
        return false;
      passed += static_cast<uint32_t>(record.head.weight);
      position = record.next;
    }
    if (static_cast<int32_t>(passed) != total) return false;
  }
  return position == end;
}

}  // namespace

ArchiveCheck CheckArchiveFile(const std::string& path, FileLayer& layer) {
  ArchiveCheck check;
  ArchiveReader reader(layer);
  if (!reader.Open(path)) {
    check.problem = reader.failure().text.empty() ? "cannot read " + path : reader.failure().text;
    return check;
  }
  check.opened = true;
  check.problem = Checker(reader, check.fileSizes).Run(check.objects);
  return check;
}

HRESULT ArchiveChecker::CheckArchive(BSTR archiveName, LONG* objects, BSTR* problem) {
  if (!objects || !problem) return E_POINTER;
  const ArchiveCheck check = CheckArchiveFile(ToAnsi(archiveName));
  *objects = check.objects;
  *problem = AllocBstr(check.problem);
  if (!check.opened) return E_FAIL;
  return check.problem.empty() ? S_OK : S_FALSE;
}

HRESULT ArchiveChecker::FileSizes(BSTR archiveName, VARIANT* sizes, BSTR* problem) {
  if (!sizes || !problem) return E_POINTER;
  const ArchiveCheck check = CheckArchiveFile(ToAnsi(archiveName));
  std::vector<uint8_t> bytes(check.fileSizes.size() * 16);
  for (size_t i = 0; i < check.fileSizes.size(); ++i) {
    PutLE<uint64_t>(bytes.data() + 16 * i, check.fileSizes[i].recordOffset);
    PutLE<uint64_t>(bytes.data() + 16 * i + 8, check.fileSizes[i].size);
  }
  *sizes = MakeByteArrayVariant(bytes);
  *problem = AllocBstr(check.problem);
  if (!check.opened) return E_FAIL;
  return check.problem.empty() ? S_OK : S_FALSE;
}

}  // namespace bkvp::archive
