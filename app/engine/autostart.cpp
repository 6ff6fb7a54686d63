#include "app/engine/autostart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/folder_walk.h"
#include "platform/paths.h"

namespace bkvp::engine {
namespace {

Status Failure(const std::string& what, const std::string& path) {
  return {Status::Code::kCannotWrite, what + " " + path + ": " + std::strerror(errno)};
}

// An Exec argument: quoted when it holds anything but plain characters, with
// the quoting characters escaped; then every backslash doubled again, since
// the whole line is a desktop-entry string value. "%" starts a field code.
std::string ExecArgument(const std::string& argument) {
  const bool plain = argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`=") == std::string::npos;
  std::string quoted;
  if (plain) {
    quoted = argument;
  } else {
    quoted = "\"";
    for (char c : argument) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
  }
  std::string value;
  for (char c : quoted) {
    if (c == '\\') value += '\\';
    if (c == '%') value += '%';
    value += c;
  }
  return value;
}

// The state root the entry's program is started with: BKVP_HOME, or ""
// for the user's default one.
std::string StateRoot() {
  const char* home = std::getenv("BKVP_HOME");
  return home ? home : "";
}

constexpr char kStateRootKey[] = "X-BackupVopal-StateRoot=";

// The state root an entry was written for ("" when it names none).
std::string StateRootOfEntry(const std::string& text) {
  const size_t at = text.find(std::string("\n") + kStateRootKey);
  if (at == std::string::npos) return "";
  const size_t start = at + 1 + std::strlen(kStateRootKey);
  return text.substr(start, text.find('\n', start) - start);
}

}  // namespace

std::string AutostartEntryPath() {
  return platform::ConfigFolder() + "autostart/BackupVopal.desktop";
}

std::string ProgramBesideThisExecutable() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path() : self.parent_path()) / "BackupVopal";
}

std::string AutostartEntryText(const std::string& programPath) {
  const std::string root = StateRoot();
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Backup Vopal\n"
         "Comment=Runs scheduled backups from the notification area\n"
         "Exec=" +
         (root.empty() ? "" : "env " + ExecArgument("BKVP_HOME=" + root) + " ") +
         ExecArgument(programPath) + " /q\n" + (root.empty() ? "" : kStateRootKey + root + "\n") +
         "Icon=backupvopal\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

Status WriteAutostartEntry(const std::string& programPath) {
  const std::string path = AutostartEntryPath();
  const std::string folder = std::filesystem::path(path).parent_path();
  if (!platform::CreateFolders(folder + "/")) return Failure("cannot create the folder", folder);
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Failure("cannot write the autostart entry", temporary);
  const bool written = platform::WriteAll(fd, AutostartEntryText(programPath)) && fsync(fd) == 0;
  const int savedErrno = errno;
  close(fd);
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    if (!written) errno = savedErrno;
    Status result = Failure("cannot write the autostart entry", path);
    std::remove(temporary.c_str());
    return result;
  }
  return {};
}

Status RemoveAutostartEntry() {
  const std::string path = AutostartEntryPath();
  // An entry written for another state root is that one's to remove.
  std::ifstream existing(path);
  if (existing) {
    std::stringstream text;
    text << existing.rdbuf();
    if (StateRootOfEntry(text.str()) != StateRoot()) return {};
  }
  if (std::remove(path.c_str()) != 0 && errno != ENOENT)
    return Failure("cannot remove the autostart entry", path);
  return {};
}

std::string MissingProgramWarning(const std::string& programPath) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(programPath, ec)) return "";
  return programPath +
         " does not exist: the autostart entry cannot start it, and scheduled backups run only "
         "while Backup Vopal runs";
}

Status UpdateAutostartEntry(bool scheduleEnabled, const std::string& programPath) {
  return scheduleEnabled ? WriteAutostartEntry(programPath) : RemoveAutostartEntry();
}

}  // namespace bkvp::engine
