#include "app/engine/run_log.h"

#include <cstdio>

#include "app/engine/error_state.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::engine {

std::string LogPath() { return platform::ProgramFolder() + "BackupVopal.log"; }
std::string EarlierLogPath() { return platform::ProgramFolder() + "BackupVopal.failed.log"; }

bool RunLog::Open(const char* mode) {
  Close();
  platform::CreateFolders(platform::ProgramFolder());
  file_ = std::fopen(LogPath().c_str(), mode);
  return file_ != nullptr;
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
  std::fflush(file_);
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
