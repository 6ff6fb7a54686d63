#include "app/engine/archive_files.h"

#include <map>

#include "app/engine/archive_inspect.h"
#include "archive/format.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/interfaces.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

// Record offset to unpacked size, from the archive service's check.
std::string UnpackedSizes(const std::string& archivePath, std::map<uint64_t, uint64_t>& sizes) {
  ComPtr<IArchiveCheck> checker;
  if (Failed(CreateInstance(CLSID_ArchiveChecker, checker)) || !checker)
    return "the archive service cannot read archives: " + LastComponentError();
  Variant bytes;
  Bstr problem;
  checker->FileSizes(Bstr(archivePath).get(), &bytes, problem.out());
  if (const auto data = ByteArrayOf(bytes.get()))
    for (size_t at = 0; at + 16 <= data->size(); at += 16)
      sizes[archive::GetLE<uint64_t>(data->data() + at)] =
          archive::GetLE<uint64_t>(data->data() + at + 8);
  return problem.str();
}

}  // namespace

std::string ListArchivedFiles(const std::string& archivePath, const std::string& clsid,
                              const std::vector<PathPattern>& patterns,
                              std::vector<ArchivedFile>& files) {
  struct Found {
    uint64_t recordOffset;
    ArchivedFile file;
  };
  std::vector<Found> found;
  bool sectionSeen = false;
  ArchiveVisitor visitor;
  visitor.client = [&](const InspectedClient& client) {
    sectionSeen |= platform::EqualsIgnoreCase(client.clsid, clsid);
  };
  visitor.object = [&](const InspectedClient& client, const InspectedObject& object) {
    if (object.type != kObjectFile || !platform::EqualsIgnoreCase(client.clsid, clsid) ||
        !AnyMatches(patterns, object.name))
      return;
    const auto modified = platform::TimePointFromFileTime(object.lastWriteTime);
    found.push_back({object.recordOffset, {object.name, 0, platform::Clock::to_time_t(modified)}});
  };
  std::string problem = InspectArchive(archivePath, visitor);
  if (!problem.empty() && found.empty()) return problem;
  if (problem.empty() && !sectionSeen) return "the archive holds no section of that client";

  std::map<uint64_t, uint64_t> sizes;
  const std::string checked = UnpackedSizes(archivePath, sizes);
  for (Found& f : found) {
    const auto size = sizes.find(f.recordOffset);
    if (size == sizes.end()) break;  // damaged from here on: the check says where
    f.file.size = size->second;
    files.push_back(std::move(f.file));
  }
  return problem.empty() ? checked : problem;
}

}  // namespace bkvp::engine
