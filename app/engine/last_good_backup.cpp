#include "app/engine/last_good_backup.h"

#include <cstring>
#include <vector>

#include "app/engine/last_run.h"
#include "app/engine/program_settings.h"
#include "platform/byte_size.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace bkvp::engine {
namespace {

std::string GoodBackupKey() { return ProgramKey() + "\\History\\GoodBackup"; }

}  // namespace

void RecordGoodBackup(const RunOutcome& outcome, std::time_t time) {
  if (!outcome.carriedOut() || outcome.archivePath.empty()) return;
  const std::string key = GoodBackupKey();
  std::vector<uint8_t> bytes(8);
  std::memcpy(bytes.data(), &outcome.archiveBytes, 8);
  platform::RegWriteString(key, "Archive", outcome.archivePath);
  platform::RegWriteBinary(key, "Bytes", bytes);
  // Written last: a record is read only when its moment is there.
  platform::RegWriteDword(key, "Time", static_cast<uint32_t>(time));
}

std::optional<GoodBackup> ReadLastGoodBackup() {
  const std::string key = GoodBackupKey();
  if (const auto time = platform::RegReadDword(key, "Time")) {
    GoodBackup good;
    good.time = static_cast<std::time_t>(*time);
    good.archivePath = platform::RegReadString(key, "Archive").value_or("");
    if (const auto bytes = platform::RegReadBinary(key, "Bytes"); bytes && bytes->size() == 8)
      std::memcpy(&good.archiveBytes, bytes->data(), 8);
    return good;
  }
  const auto last = ReadLastRun(RunKind::kBackup);
  if (!last || last->cutOff || last->archivePath.empty() ||
      (last->result != RunResult::kSucceeded && last->result != RunResult::kFailures))
    return std::nullopt;
  return GoodBackup{last->time, last->archivePath, 0};
}

std::optional<uint64_t> LastArchiveSizeAbove(uint64_t freeBytes) {
  const auto good = ReadLastGoodBackup();
  if (!good || good->archiveBytes <= freeBytes) return std::nullopt;
  return good->archiveBytes;
}

std::string FullFolderProblem(const std::string& folder) {
  std::string name = folder;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  std::string problem = "the folder " + platform::EscapeControls(name) + " is full";
  // Its free space now says little: the writer has already cut back what it
  // could not finish.
  if (const auto good = ReadLastGoodBackup(); good && good->archiveBytes > 0)
    problem += " (the last backup's archive took " + platform::ByteSize(good->archiveBytes) + ")";
  return problem;
}

}  // namespace bkvp::engine
