#include "app/engine/run_log.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::engine {

std::string LogPath() { return platform::ProgramFolder() + "BackupVopal.log"; }

bool RunLog::Open(const char* mode) {
  Close();
  platform::CreateFolders(platform::ProgramFolder());
  file_ = std::fopen(LogPath().c_str(), mode);
  return file_ != nullptr;
}

bool RunLog::Create() { return Open("w"); }
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
