#include "app/engine/archive_inspect.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/format.h"
#include "archive/layout.h"
#include "contract/com_types.h"

namespace bkvp::engine {

using namespace bkvp::archive;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads at absolute offsets, refusing anything that would pass the end.
class Reader {
 public:
  Reader(std::FILE* f, uint64_t size) : file_(f), size_(size) {}
  uint64_t size() const { return size_; }
  bool Read(uint64_t offset, void* out, size_t n) {
    if (offset > size_ || n > size_ - offset) return false;
    return fseeko(file_, off_t(offset), SEEK_SET) == 0 && std::fread(out, 1, n, file_) == n;
  }

 private:
  std::FILE* file_;
  uint64_t size_;
};

std::string At(uint64_t offset) { return " at offset " + std::to_string(offset); }

std::string WalkSection(Reader& r, const InspectedClient& client, const ArchiveVisitor& v) {
  uint64_t pos = client.sectionOffset + kSectionWeightSize;
  int64_t passed = 0;
  // Every record is at least kRecordOverhead bytes long, so the walk ends at
  // the file's end.
  for (int index = 1; passed < client.totalWeight; ++index) {
    const std::string where = "client " + client.clsid + ", object " + std::to_string(index);
    const auto pastEnd = [&] {
      return where + ": the record runs past the end of the archive" + At(pos);
    };
    uint8_t fixed[kRecordFixedSize];
    if (!r.Read(pos, fixed, sizeof fixed)) return pastEnd();
    int32_t nameLength = 0;
    const RecordHead head = ParseRecordHeadFixed(fixed, &nameLength);
    if (nameLength < 0 || size_t(nameLength) > kMaxNameBytes)
      return where + ": name length " + std::to_string(nameLength) + " is out of range" + At(pos);

    // The name and the info length behind it in one read.
    uint8_t nameAndInfo[kMaxNameBytes + kInfoLengthSize];
    if (!r.Read(pos + kRecordFixedSize, nameAndInfo, size_t(nameLength) + kInfoLengthSize))
      return pastEnd();
    InspectedObject o;
    o.recordOffset = pos;
    o.type = head.type;
    o.weight = head.weight;
    o.storedSize = head.dataSize;
    o.name = NameFromBytes(nameAndInfo, size_t(nameLength));
    const int32_t infoLength = GetLE<int32_t>(nameAndInfo + nameLength);
    if (infoLength < 0 || size_t(infoLength) > kMaxInfoBytes)
      return where + " (" + o.name + "): info length " + std::to_string(infoLength) +
             " is out of range" + At(pos);

    const uint64_t data = pos + kRecordOverhead + uint64_t(nameLength) + uint64_t(infoLength);
    if (data > r.size() || o.storedSize > r.size() - data)
      return where + " (" + o.name + "): the data part runs past the end of the archive" + At(pos);
    uint8_t magic[2] = {};
    o.compressed = o.storedSize >= sizeof magic && r.Read(data, magic, sizeof magic) &&
                   BeginsWithZlibMagic(magic, o.storedSize);
    uint8_t info[kFileInfoFixedSize];
    // Only a visitor looks at the time; a bare walk (verify's) skips the read.
    if (v.object && o.type == kObjectFile && size_t(infoLength) >= sizeof info &&
        r.Read(data - uint64_t(infoLength), info, sizeof info))
      o.lastWriteTime = archive::ParseFileInfo(info, sizeof info).lastWriteTime;
    if (v.object) v.object(client, o);
    passed += o.weight;
    pos = data + o.storedSize;
  }
  return "";
}

}  // namespace

std::string InspectArchive(const std::string& path, const ArchiveVisitor& v) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot open " + path + ": " + std::strerror(errno);
  if (fseeko(file.get(), 0, SEEK_END) != 0) return "cannot read " + path;
  const off_t end = ftello(file.get());
  if (end < 0) return "cannot read " + path;
  Reader r(file.get(), uint64_t(end));

  // A file shorter than the header is still told apart from a foreign file
  // by its first two bytes.
  uint8_t headerBytes[kHeaderSize] = {};
  const size_t headerRead = size_t(std::min<uint64_t>(r.size(), kHeaderSize));
  if (!r.Read(0, headerBytes, headerRead) || headerRead < sizeof kMagic ||
      headerBytes[kMagicOffset] != kMagic[0] || headerBytes[kMagicOffset + 1] != kMagic[1])
    return path + " is not a backup archive (no \"KV\" at its start)";
  // The magic is right, so only a short header is refused here.
  const std::optional<ArchiveHeader> parsed = ParseHeader(headerBytes, headerRead);
  if (!parsed) return "the archive header is cut off";
  const InspectedHeader h{*parsed, r.size()};
  if (h.clientCount < 0 || uint64_t(h.clientCount) > (r.size() - kHeaderSize) / kClientEntrySize)
    return "the client count " + std::to_string(h.clientCount) + " does not fit the archive";
  if (v.header) v.header(h);

  std::vector<InspectedClient> clients;
  uint64_t pos = kHeaderSize;
  for (int i = 0; i < h.clientCount; ++i) {
    uint8_t fixed[kClientEntrySize];
    if (!r.Read(pos, fixed, sizeof fixed))
      return "client table entry " + std::to_string(i + 1) + " is cut off";
    int32_t optionBytes = 0;
    const ClientTableEntry entry = ParseClientEntryFixed(fixed, &optionBytes);
    if (optionBytes < 0 || uint64_t(optionBytes) > r.size() - pos - kClientEntrySize)
      return "client table entry " + std::to_string(i + 1) + " (" + entry.clsid +
             "): option length " + std::to_string(optionBytes) + " is out of range";
    clients.push_back(InspectedClient{.index = i,
                                      .clsid = entry.clsid,
                                      .name = entry.name,
                                      .sectionOffset = entry.sectionOffset,
                                      .optionBytes = uint32_t(optionBytes)});
    pos += kClientEntrySize + clients.back().optionBytes;
  }
  for (InspectedClient& c : clients) {
    uint8_t total[kSectionWeightSize];
    if (c.sectionOffset < pos || !r.Read(c.sectionOffset, total, sizeof total))
      return "client " + c.clsid + ": section offset " + std::to_string(c.sectionOffset) +
             " lies outside the data area";
    c.totalWeight = GetLE<int32_t>(total);
    if (v.client) v.client(c);
    if (std::string error = WalkSection(r, c, v); !error.empty()) return error;
  }
  return "";
}

}  // namespace bkvp::engine
