#include "app/engine/archive_inspect.h"

#include <vector>

#include "archive/archive_reader.h"
#include "archive/format.h"
#include "archive/layout.h"
#include "contract/com_types.h"
#include "platform/errors.h"

namespace bkvp::engine {

using namespace bkvp::archive;

namespace {

std::string At(uint64_t offset) { return " at offset " + std::to_string(offset); }

Status Damaged(std::string what) { return {Status::Code::kDamaged, std::move(what)}; }

// Why the reader could not open the file: the system's reason it could not
// be read, no regular file, or a damaged place named by what is wrong there.
Status OpenProblem(const ArchiveReader& r, const std::string& path) {
  const ReadFailure& failure = r.failure();
  if (failure.systemError)
    return {failure.code == platform::ERROR_FILE_NOT_FOUND ||
                    failure.code == platform::ERROR_PATH_NOT_FOUND
                ? Status::Code::kNotFound
                : Status::Code::kCannotRead,
            "cannot open " + path + ": " + failure.text};
  if (failure.notRegularFile) return {Status::Code::kCannotRead, failure.text};
  return Damaged(failure.what.empty() ? failure.text : failure.what);
}

Status WalkSection(ArchiveReader& r, const InspectedClient& client, const ArchiveVisitor& v) {
  uint64_t pos = client.sectionOffset + kSectionWeightSize;
  int64_t passed = 0;
  // Every record is at least kRecordOverhead bytes long and the walk only
  // moves forward, so it ends at the file's end.
  for (int index = 1; passed < client.totalWeight; ++index) {
    const std::string where = "client " + client.clsid + ", object " + std::to_string(index);
    RecordLocation record;
    if (!r.ReadRecord(pos, &record)) {
      if (r.failure().systemError)
        return {Status::Code::kCannotRead, "cannot read the archive: " + r.failure().text};
      if (r.failure().what.find(" is out of range") == std::string::npos)
        return Damaged(where + ": the record runs past the end of the archive" + At(pos));
      return Damaged(where + ": " + r.failure().what + At(pos));
    }
    InspectedObject o;
    o.recordOffset = pos;
    o.type = record.head.type;
    o.weight = record.head.weight;
    o.storedSize = record.head.dataSize;
    o.name = record.head.name;
    if (!record.dataInFile)
      return Damaged(where + " (" + o.name + "): the data part runs past the end of the archive" +
                     At(pos));
    uint8_t magic[2] = {};
    o.compressed = o.storedSize >= sizeof magic &&
                   r.ReadExact(record.dataOffset, magic, sizeof magic) &&
                   BeginsWithZlibMagic(magic, o.storedSize);
    uint8_t info[kFileInfoFixedSize];
    // Only a visitor looks at the time; a bare walk (verify's) skips the read.
    if (v.object && o.type == kObjectFile && record.head.infoLength >= sizeof info &&
        r.ReadExact(record.infoOffset, info, sizeof info))
      o.lastWriteTime = archive::ParseFileInfo(info, sizeof info).lastWriteTime;
    if (v.object) v.object(client, o);
    passed += o.weight;
    pos = record.next;
  }
  return {};
}

}  // namespace

Status InspectArchive(const std::string& path, const ArchiveVisitor& v) {
  ArchiveReader r(DefaultFileLayer());
  if (!r.Open(path)) return OpenProblem(r, path);
  InspectedHeader h{r.header(), r.fileSize()};
  if (v.header) v.header(h);

  std::vector<InspectedClient> clients;
  for (const TableEntry& entry : r.table())
    clients.push_back(InspectedClient{.index = static_cast<int>(clients.size()),
                                      .clsid = entry.clsid,
                                      .name = entry.name,
                                      .sectionOffset = entry.sectionOffset,
                                      .optionBytes = entry.optionBytes});
  for (InspectedClient& c : clients) {
    if (c.sectionOffset < r.tableEnd() || !r.ReadSectionTotal(c.sectionOffset, &c.totalWeight))
      return Damaged("client " + c.clsid + ": section offset " + std::to_string(c.sectionOffset) +
                     " lies outside the data area");
    if (v.client) v.client(c);
    if (Status walked = WalkSection(r, c, v); !walked.ok()) return walked;
  }
  return {};
}

}  // namespace bkvp::engine
