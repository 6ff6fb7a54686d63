#include "app/engine/archive_files.h"

#include <map>

#include "app/engine/archive_inspect.h"
#include "app/engine/archive_list.h"
#include "archive/format.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/interfaces.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

// The unpacked sizes, from the archive service's check.
Status UnpackedSizes(const std::string& archivePath, std::vector<uint8_t>& sizes) {
  ComPtr<IArchiveCheck> checker;
  if (Failed(CreateInstance(CLSID_ArchiveChecker, checker)) || !checker)
    return CheckArchiveService();
  Variant bytes;
  Bstr problem;
  checker->FileSizes(Bstr(archivePath).get(), &bytes, problem.out());
  if (auto data = ByteArrayOf(bytes.get())) sizes = std::move(*data);
  if (problem.str().empty()) return {};
  return {Status::Code::kDamaged, problem.str()};
}

}  // namespace

void MergeUnpackedSizes(std::vector<FoundFile>& found, const std::vector<uint8_t>& sizes,
                        std::vector<ArchivedFile>& files) {
  std::map<uint64_t, uint64_t> byOffset;
  for (size_t at = 0; at + 16 <= sizes.size(); at += 16)
    byOffset[archive::GetLE<uint64_t>(sizes.data() + at)] =
        archive::GetLE<uint64_t>(sizes.data() + at + 8);
  for (FoundFile& f : found) {
    const auto size = byOffset.find(f.recordOffset);
    if (size == byOffset.end()) break;  // damaged from here on: the check says where
    f.file.size = size->second;
    files.push_back(std::move(f.file));
  }
}

Status ListArchivedFiles(const std::string& archivePath, const std::string& clsid,
                         const std::vector<PathPattern>& patterns,
                         std::vector<ArchivedFile>& files) {
  std::vector<FoundFile> found;
  bool sectionSeen = false;
  ArchiveVisitor visitor;
  visitor.client = [&](const InspectedClient& client) {
    sectionSeen |= platform::EqualsIgnoreCase(client.clsid, clsid);
  };
  visitor.object = [&](const InspectedClient& client, const InspectedObject& object) {
    if (object.type != kObjectFile || !platform::EqualsIgnoreCase(client.clsid, clsid) ||
        !AnyMatches(patterns, object.name))
      return;
    found.push_back(
        {object.recordOffset, {object.name, 0, platform::TimeFromFileTime(object.lastWriteTime)}});
  };
  const Status walked = InspectArchive(archivePath, visitor);
  if (!walked.ok() && found.empty()) return walked;
  if (walked.ok() && !sectionSeen)
    return {Status::Code::kNotFound, "the archive holds no section of that client"};

  std::vector<uint8_t> sizes;
  const Status checked = UnpackedSizes(archivePath, sizes);
  MergeUnpackedSizes(found, sizes, files);
  return walked.ok() ? checked : walked;
}

}  // namespace bkvp::engine
