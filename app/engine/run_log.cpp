#include "app/engine/run_log.h"

#include <cstdio>

#include "app/engine/error_state.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::engine {

std::string LogPath() { return platform::ProgramFolder() + "BackupVopal.log"; }
std::string EarlierLogPath() { return platform::ProgramFolder() + "BackupVopal.failed.log"; }

namespace {

// Lines wait at most this long for the file; a run logs thousands a second.
constexpr auto kFlushInterval = std::chrono::seconds(1);
constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

bool RunLog::Open(const char* mode) {
  Close();
  platform::CreateFolders(platform::ProgramFolder());
  file_ = std::fopen(LogPath().c_str(), mode);
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  lastFlush_ = std::chrono::steady_clock::now();
  return true;
}

bool RunLog::Create() {
  keptEarlier_ = ErrorStateOn() && platform::FileExists(LogPath()) &&
                 std::rename(LogPath().c_str(), EarlierLogPath().c_str()) == 0;
  return Open("w");
}

void RunLog::NoteEarlierLog() {
  if (keptEarlier_)
    Write("The log of an earlier run that failed is kept in " + EarlierLogPath() + "\n");
}

void ForgetEarlierLog() { std::remove(EarlierLogPath().c_str()); }
bool RunLog::OpenForAppend() { return Open("a"); }

void RunLog::Write(std::string_view text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  if (std::chrono::steady_clock::now() - lastFlush_ >= kFlushInterval) Flush();
}

void RunLog::Flush() {
  if (!file_) return;
  std::fflush(file_);
  lastFlush_ = std::chrono::steady_clock::now();
}

void RunLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

std::string InterruptedRunBanner() {
  std::string banner = "\n";
  for (int i = 0; i < 13; ++i) banner += "! --- ";
  return banner + "!\nBackup did not complete properly.";
}

}  // namespace bkvp::engine
