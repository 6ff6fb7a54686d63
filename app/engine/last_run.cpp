#include "app/engine/last_run.h"

#include <cstdio>
#include <fstream>

#include "app/engine/program_settings.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

std::string HistoryKey() { return ProgramKey() + "\\History"; }
std::string Prefix(RunKind kind) { return kind == RunKind::kBackup ? "Backup" : "Restore"; }

std::string Moment(std::time_t t) { return platform::FormatLongDateTime(platform::LocalTime(t)); }

std::string FailedObjects(RunKind kind, int count) {
  return std::to_string(count) + (count == 1 ? " object" : " objects") +
         (kind == RunKind::kBackup ? " not saved" : " not restored");
}

}  // namespace

namespace {

Status WriteRecord(RunKind kind, const LastRun& run) {
  const std::string key = HistoryKey();
  const std::string prefix = Prefix(kind);
  const uint32_t flags = (run.scheduled ? 1 : 0) | (run.cutOff ? 2 : 0);
  const platform::LSTATUS written[] = {
      platform::RegWriteString(key, prefix + "Archive", run.archivePath),
      platform::RegWriteString(key, prefix + "Problem", run.problem),
      platform::RegWriteDword(key, prefix + "Failures", static_cast<uint32_t>(run.objectsFailed)),
      platform::RegWriteDword(key, prefix + "Flags", flags),
      platform::RegWriteDword(key, prefix + "Result", static_cast<uint32_t>(run.result)),
      // Written last: a record is read only when its moment is there.
      platform::RegWriteDword(key, prefix + "Time", static_cast<uint32_t>(run.time))};
  for (const platform::LSTATUS status : written)
    if (status != platform::ERROR_SUCCESS)
      return {Status::Code::kCannotWrite,
              "the record of the last run cannot be stored: " +
                  platform::ErrorMessage(static_cast<uint32_t>(status))};
  return {};
}

// A record the settings store could not take (another program held it)
// waits in a file of the program folder, one field a line, and is written
// at the next chance.
std::string PendingPath(RunKind kind) {
  return platform::ProgramFolder() + "BackupVopal." + Prefix(kind) + ".unrecorded";
}

std::string EscapeLine(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '\n') out += '\\';
    out += c == '\n' ? 'n' : c;
  }
  return out;
}

std::string UnescapeLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    out += text[i] == '\\' && i + 1 < text.size() ? (text[++i] == 'n' ? '\n' : text[i]) : text[i];
  return out;
}

void SavePending(RunKind kind, const LastRun& run) {
  platform::CreateFolders(platform::ProgramFolder());
  std::ofstream file(PendingPath(kind), std::ios::trunc);
  file << run.time << "\n"
       << static_cast<int>(run.result) << "\n"
       << run.objectsFailed << "\n"
       << ((run.scheduled ? 1 : 0) | (run.cutOff ? 2 : 0)) << "\n"
       << EscapeLine(run.archivePath) << "\n"
       << EscapeLine(run.problem) << "\n";
}

std::optional<LastRun> LoadPending(RunKind kind) {
  std::ifstream file(PendingPath(kind));
  std::string lines[6];
  for (std::string& line : lines)
    if (!std::getline(file, line)) return std::nullopt;
  try {
    LastRun run;
    run.time = static_cast<std::time_t>(std::stoll(lines[0]));
    const int result = std::stoi(lines[1]);
    if (result < 0 || result > static_cast<int>(RunResult::kCouldNotStart)) return std::nullopt;
    run.result = static_cast<RunResult>(result);
    run.objectsFailed = std::stoi(lines[2]);
    const int flags = std::stoi(lines[3]);
    run.scheduled = flags & 1;
    run.cutOff = flags & 2;
    run.archivePath = UnescapeLine(lines[4]);
    run.problem = UnescapeLine(lines[5]);
    return run;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Writes a waiting record once the store takes it; the waiting record is
// the newer one either way.
std::optional<LastRun> RecordPending(RunKind kind) {
  std::optional<LastRun> pending = LoadPending(kind);
  if (pending && WriteRecord(kind, *pending).ok()) std::remove(PendingPath(kind).c_str());
  return pending;
}

}  // namespace

std::optional<LastRun> ReadLastRun(RunKind kind) {
  if (std::optional<LastRun> pending = RecordPending(kind)) return pending;
  const std::string key = HistoryKey();
  const std::string prefix = Prefix(kind);
  const auto time = platform::RegReadDword(key, prefix + "Time");
  const auto result = platform::RegReadDword(key, prefix + "Result");
  if (!time || !result || *result > static_cast<uint32_t>(RunResult::kCouldNotStart))
    return std::nullopt;
  LastRun run;
  run.time = static_cast<std::time_t>(*time);
  run.result = static_cast<RunResult>(*result);
  run.archivePath = platform::RegReadString(key, prefix + "Archive").value_or("");
  run.problem = platform::RegReadString(key, prefix + "Problem").value_or("");
  run.objectsFailed =
      static_cast<int>(platform::RegReadDword(key, prefix + "Failures").value_or(0));
  const uint32_t flags = platform::RegReadDword(key, prefix + "Flags").value_or(0);
  run.scheduled = flags & 1;
  run.cutOff = flags & 2;
  return run;
}

Status RecordLastRun(RunKind kind, const LastRun& run) {
  Status written = WriteRecord(kind, run);
  if (written.ok())
    std::remove(PendingPath(kind).c_str());
  else
    SavePending(kind, run);
  return written;
}

Status RecordFinishedRun(RunKind kind, const LastRun& run) {
  Status recorded = RecordLastRun(kind, run);
  if (recorded.ok()) return recorded;
  RunLog log;
  if (log.OpenForAppend()) log.Write(std::string(kNotRecordedText) + "\n");
  return recorded;
}

LastRun LastRunFrom(const RunOutcome& outcome, std::time_t time, bool scheduled) {
  LastRun run;
  run.time = time;
  run.result = outcome.result;
  run.archivePath = outcome.archivePath;
  run.problem = outcome.problem;
  run.objectsFailed = outcome.objectsFailed;
  run.scheduled = scheduled;
  return run;
}

std::string ResultWords(RunResult result) {
  switch (result) {
    case RunResult::kSucceeded:
      return "completed";
    case RunResult::kFailures:
      return "completed with failures";
    case RunResult::kNothingWritten:
      return "completed, but there was nothing to save";
    case RunResult::kStopped:
      return "stopped";
    case RunResult::kCancelled:
      return "cancelled";
    case RunResult::kCouldNotStart:
      return "could not start";
  }
  return "";
}

std::string DescribeLastRun(RunKind kind) {
  const bool backup = kind == RunKind::kBackup;
  // A backup in progress shows "TaskStatus" 1 while it holds the run lock.
  if (backup && ReadTaskStatus() == kTaskRunning && RunInProgress()) return "running now";
  const auto run = ReadLastRun(kind);
  if (!run) return backup ? "No backup has run yet" : "No restore has run yet";
  std::string text = run->scheduled ? "scheduled run " : backup ? "started by hand, " : "";
  if (run->cutOff) return text + "cut off on " + Moment(run->time) + " (it did not finish)";
  text += ResultWords(run->result) + " on " + Moment(run->time);
  if (run->objectsFailed > 0) text += ": " + FailedObjects(kind, run->objectsFailed);
  if (!run->problem.empty() && run->result != RunResult::kSucceeded &&
      run->result != RunResult::kFailures)
    text += ": " + run->problem;
  return text;
}

}  // namespace bkvp::engine
