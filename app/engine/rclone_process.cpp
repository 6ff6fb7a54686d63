#include "app/engine/rclone_process.h"

#include <cstdlib>

#include "app/engine/json_value.h"
#include "platform/child_process.h"

namespace bkvp::engine {
namespace {

// rclone's exit statuses for a folder and for a file that do not exist.
constexpr int kExitDirectoryNotFound = 3;
constexpr int kExitFileNotFound = 4;

// Every call fails fast on a server that does not answer and tries once
// more at most: a scheduled run is tried again at the next tick anyway.
// JSON log lines keep the reasons apart from the statistics.
const std::vector<std::string>& CommonFlags() {
  static const std::vector<std::string> flags = {
      "--retries", "1",   "--low-level-retries", "3", "--contimeout", "15s",
      "--timeout", "60s", "--use-json-log"};
  return flags;
}

// "2026/12/09 04:42:44 Failed to ..." without its time stamp.
std::string WithoutTimeStamp(const std::string& line) {
  if (line.size() > 20 && line[4] == '/' && line[7] == '/' && line[10] == ' ' && line[13] == ':' &&
      line[16] == ':' && line[19] == ' ')
    return line.substr(20);
  return line;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t'))
    text.pop_back();
  while (!text.empty() && (text.front() == ' ' || text.front() == '\n')) text.erase(0, 1);
  return text;
}

std::optional<TransferStats> StatsOf(const std::string& line) {
  if (line.empty() || line.front() != '{') return std::nullopt;
  const auto value = JsonValue::Parse(line);
  const JsonValue* stats = value ? value->Find("stats") : nullptr;
  if (!stats) return std::nullopt;
  TransferStats result;
  if (const JsonValue* v = stats->Find("bytes")) result.bytes = uint64_t(v->number());
  if (const JsonValue* v = stats->Find("totalBytes")) result.totalBytes = uint64_t(v->number());
  if (const JsonValue* v = stats->Find("speed")) result.bytesPerSecond = v->number();
  return result;
}

}  // namespace

std::optional<std::string> RcloneProgram() {
  if (const char* chosen = std::getenv("BKVP_RCLONE"); chosen && *chosen)
    return platform::FindProgram(chosen);
  return platform::FindProgram("rclone");
}

std::string RcloneMissingText() {
  return "rclone is not installed: install the Debian package rclone (or name the program "
         "in BKVP_RCLONE)";
}

std::string RcloneReason(const std::vector<std::string>& errorLines) {
  std::string failed, error, last;
  for (const std::string& raw : errorLines) {
    std::string text;
    bool isError = false;
    if (!raw.empty() && raw.front() == '{') {
      const auto value = JsonValue::Parse(raw);
      if (!value || value->Find("stats")) continue;
      const JsonValue* level = value->Find("level");
      const JsonValue* msg = value->Find("msg");
      const JsonValue* object = value->Find("object");
      text = msg ? Trimmed(msg->text()) : "";
      if (object && !object->text().empty()) text = object->text() + ": " + text;
      isError = level && (level->text() == "error" || level->text() == "critical" ||
                          level->text() == "fatal");
    } else {
      text = Trimmed(WithoutTimeStamp(raw));
      if (text.rfind("ERROR : ", 0) == 0) {
        text = text.substr(8);
        isError = true;
      }
    }
    if (text.empty()) continue;
    last = text;
    if (isError) error = text;
    if (text.rfind("Failed to ", 0) == 0 || text.rfind("Fatal error: ", 0) == 0) failed = text;
  }
  if (!failed.empty()) return failed;
  return error.empty() ? last : error;
}

RcloneResult RunRclone(const RcloneCall& call) {
  RcloneResult result;
  const auto program = RcloneProgram();
  if (!program) {
    result.problem = RcloneMissingText();
    return result;
  }
  platform::ChildRun run;
  run.argv.push_back(*program);
  run.argv.insert(run.argv.end(), call.args.begin(), call.args.end());
  run.argv.insert(run.argv.end(), CommonFlags().begin(), CommonFlags().end());
  if (call.onStats) {
    for (const char* flag : {"--stats", "500ms", "--stats-log-level", "NOTICE"})
      run.argv.push_back(flag);
    run.onErrorLine = [&](const std::string& line) {
      if (auto stats = StatsOf(line)) call.onStats(*stats);
    };
  }
  run.onOutput = call.onOutput;
  if (call.cancel) run.shouldStop = [&] { return call.cancel->requested(); };
  run.deadline = call.deadline;
  platform::ChildResult child = platform::RunChild(run);
  result.output = std::move(child.output);
  result.ok = child.succeeded() && !child.outputRefused;
  result.cancelled = child.stopped;
  result.notFound = child.exitCode == kExitDirectoryNotFound || child.exitCode == kExitFileNotFound;
  if (result.ok) return result;
  if (!child.started) {
    result.problem = child.startProblem;
  } else if (child.stopped) {
    result.problem = "cancelled";
  } else if (child.timedOut) {
    result.problem = "rclone gave no answer within " +
                     std::to_string(call.deadline ? call.deadline->count() : 0) + " s";
  } else if (child.outputRefused) {
    result.problem = "rclone's output was refused";
  } else {
    result.problem = RcloneReason(child.lastErrorLines);
    if (result.problem.empty())
      result.problem = child.signal ? "rclone was ended by signal " + std::to_string(child.signal)
                                    : "rclone ended with status " + std::to_string(child.exitCode);
  }
  return result;
}

}  // namespace bkvp::engine
