#include "app/engine/archive_inspect.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace bkvp::engine {
namespace {

// Layout of the archive format (docs/archive-format.md).
constexpr uint64_t kHeaderSize = 394;
constexpr uint64_t kClientEntryFixedSize = 110;
constexpr uint64_t kRecordFixedSize = 22;
constexpr int32_t kMaxNameLength = 256;
constexpr int32_t kMaxInfoLength = 28 + kMaxNameLength;

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
  template <class T>
  bool Number(uint64_t offset, T& out) {
    uint8_t b[sizeof(T)];
    if (!Read(offset, b, sizeof b)) return false;
    uint64_t v = 0;
    for (size_t i = sizeof b; i-- > 0;) v = v << 8 | b[i];
    if constexpr (sizeof(T) == 8) {
      std::memcpy(&out, &v, 8);
    } else {
      out = static_cast<T>(v);
    }
    return true;
  }
  bool Text(uint64_t offset, size_t n, std::string& out) {
    std::string raw(n, '\0');
    if (!Read(offset, raw.data(), n)) return false;
    out = raw.substr(0, raw.find('\0'));
    return true;
  }

 private:
  std::FILE* file_;
  uint64_t size_;
};

std::string At(uint64_t offset) { return " at offset " + std::to_string(offset); }

std::string WalkSection(Reader& r, const InspectedClient& client, const ArchiveVisitor& v) {
  uint64_t pos = client.sectionOffset + 4;
  int64_t passed = 0;
  // Every record is at least 22 bytes long, so the walk ends at the file's end.
  for (int index = 1; passed < client.totalWeight; ++index) {
    InspectedObject o;
    o.recordOffset = pos;
    int32_t nameLength = 0, infoLength = 0;
    const std::string where = "client " + client.clsid + ", object " + std::to_string(index);
    if (!r.Number(pos, o.storedSize) || !r.Number(pos + 8, o.type) ||
        !r.Number(pos + 10, o.weight) || !r.Number(pos + 14, nameLength))
      return where + ": the record runs past the end of the archive" + At(pos);
    if (nameLength < 0 || nameLength > kMaxNameLength)
      return where + ": name length " + std::to_string(nameLength) + " is out of range" + At(pos);
    if (!r.Text(pos + 18, size_t(nameLength), o.name) ||
        !r.Number(pos + 18 + uint64_t(nameLength), infoLength))
      return where + ": the record runs past the end of the archive" + At(pos);
    if (infoLength < 0 || infoLength > kMaxInfoLength)
      return where + " (" + o.name + "): info length " + std::to_string(infoLength) +
             " is out of range" + At(pos);
    const uint64_t data = pos + kRecordFixedSize + uint64_t(nameLength) + uint64_t(infoLength);
    if (data > r.size() || o.storedSize > r.size() - data)
      return where + " (" + o.name + "): the data part runs past the end of the archive" +
             At(pos);
    uint8_t magic[2] = {};
    o.compressed =
        o.storedSize >= 2 && r.Read(data, magic, 2) && magic[0] == 0x78 && magic[1] == 0xDA;
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

  InspectedHeader h;
  h.fileSize = r.size();
  char magic[2] = {};
  if (!r.Read(0, magic, 2) || magic[0] != 'K' || magic[1] != 'V')
    return path + " is not a backup archive (no \"KV\" at its start)";
  if (!r.Number(2, h.time) || !r.Text(10, 51, h.userName) || !r.Text(61, 51, h.machineName) ||
      !r.Text(112, 256, h.label) || !r.Number(372, h.versionMajor) ||
      !r.Number(376, h.versionMinor) || !r.Number(390, h.clientCount))
    return "the archive header is cut off";
  if (h.clientCount < 0 ||
      uint64_t(h.clientCount) > (r.size() - kHeaderSize) / kClientEntryFixedSize)
    return "the client count " + std::to_string(h.clientCount) + " does not fit the archive";
  if (v.header) v.header(h);

  std::vector<InspectedClient> clients;
  uint64_t pos = kHeaderSize;
  for (int i = 0; i < h.clientCount; ++i) {
    InspectedClient c;
    c.index = i;
    int32_t optionBytes = 0;
    if (!r.Number(pos, c.sectionOffset) || !r.Text(pos + 8, 39, c.clsid) ||
        !r.Text(pos + 55, 51, c.name) || !r.Number(pos + 106, optionBytes))
      return "client table entry " + std::to_string(i + 1) + " is cut off";
    if (optionBytes < 0 || uint64_t(optionBytes) > r.size() - pos - kClientEntryFixedSize)
      return "client table entry " + std::to_string(i + 1) + " (" + c.clsid +
             "): option length " + std::to_string(optionBytes) + " is out of range";
    c.optionBytes = uint32_t(optionBytes);
    pos += kClientEntryFixedSize + c.optionBytes;
    clients.push_back(std::move(c));
  }
  for (InspectedClient& c : clients) {
    if (c.sectionOffset < pos || !r.Number(c.sectionOffset, c.totalWeight))
      return "client " + c.clsid + ": section offset " + std::to_string(c.sectionOffset) +
             " lies outside the data area";
    if (v.client) v.client(c);
    if (std::string error = WalkSection(r, c, v); !error.empty()) return error;
  }
  return "";
}

}  // namespace bkvp::engine
