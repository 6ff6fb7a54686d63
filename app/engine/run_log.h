// The plain-text log of the last run, "BackupVopal.log" in the program
// folder, whichever front end runs.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace bkvp::engine {

std::string LogPath();
// Where the log of an earlier run that failed is kept while the error state
// is on, so that the next run's log does not wipe out the explanation.
std::string EarlierLogPath();

class RunLog {
 public:
  RunLog() = default;
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;
  ~RunLog() { Close(); }

  // Replaces an earlier log; while the error state is on, the earlier log is
  // kept at EarlierLogPath() instead (replacing an older one there). False
  // when the file cannot be created; writes are then dropped.
  bool Create();
  // Writes a line naming the kept earlier log, when Create() kept one.
  void NoteEarlierLog();
  // Opens the existing log (or a new one) to add at its end.
  bool OpenForAppend();
  // Buffered: the file gets what was written at the latest a second later,
  // at Flush() or at Close(), so a crash loses at most the last lines. The
  // progress object flushes at every client's first line and before every
  // question. A write error is swallowed so the run goes on.
  void Write(std::string_view text);
  void Flush();
  bool IsOpen() const { return file_ != nullptr; }
  void Close();

 private:
  bool Open(const char* mode);
  std::FILE* file_ = nullptr;
  bool keptEarlier_ = false;
  std::chrono::steady_clock::time_point lastFlush_;
};

// Removes a kept earlier log: once a run succeeded, or the user has looked.
void ForgetEarlierLog();

// Header texts shared by the backup and the restore log.
constexpr const char* kLogFirstLine = "This is a Backup Vopal log file.\n";
constexpr const char* kLogSeparator = "**********************************************\n";

// Appended when a run was found cut off: a line break, 13 "! --- " groups and
// a final "!", a line break, and the sentence, without a trailing line break.
std::string InterruptedRunBanner();

}  // namespace bkvp::engine
