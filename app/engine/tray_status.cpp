#include "app/engine/tray_status.h"

#include "app/engine/last_good_backup.h"
#include "app/engine/last_run.h"
#include "platform/files.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

constexpr const char* kMomentFormat = "%Y-%m-%d %H:%M";

std::string Moment(std::time_t t) {
  return platform::FormatTime(platform::LocalTime(t), kMomentFormat);
}

std::string LastBackupLine() {
  const auto good = ReadLastGoodBackup();
  if (!good) return "Last backup: none yet";
  return "Last backup: " + Moment(good->time) + " (" + platform::FileNameOf(good->archivePath) +
         ")";
}

bool Failed(const LastRun& run) { return run.cutOff || (run.result != RunResult::kSucceeded); }

std::string Reason(RunKind kind, const LastRun& run) {
  if (run.cutOff) return "it did not finish";
  if (!run.problem.empty()) return run.problem;
  if (run.objectsFailed > 0)
    return std::to_string(run.objectsFailed) +
           (kind == RunKind::kBackup ? " not saved" : " not restored");
  return ResultWords(run.result);
}

// The newer of the last backup and the last restore, when it failed.
std::string FailedRunLine() {
  const auto backup = ReadLastRun(RunKind::kBackup);
  const auto restore = ReadLastRun(RunKind::kRestore);
  const bool restoreIsNewer = restore && (!backup || restore->time > backup->time);
  const RunKind kind = restoreIsNewer ? RunKind::kRestore : RunKind::kBackup;
  const auto& last = restoreIsNewer ? restore : backup;
  if (!last || !Failed(*last)) return "";
  return std::string(kind == RunKind::kBackup ? "Last run failed: " : "Last restore failed: ") +
         Reason(kind, *last) + " (open the log)";
}

std::string NextLine(const ProgramSettings& settings, std::time_t now) {
  if (!settings.scheduleEnabled) return "No backup scheduled";
  // The scheduler starts a run at its first tick at or after the moment,
  // and retries a failed one at every tick.
  const std::time_t next = static_cast<std::time_t>(settings.taskTime);
  return "Next: " + (next <= now ? std::string("now") : Moment(next));
}

}  // namespace

std::string TrayStatusText(const ProgramSettings& settings, std::time_t now) {
  std::string text = LastBackupLine();
  if (const std::string failed = FailedRunLine(); !failed.empty()) text += "\n" + failed;
  return text + "\n" + NextLine(settings, now);
}

}  // namespace bkvp::engine
