#include "app/engine/autostart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

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
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Backup Vopal\n"
         "Comment=Runs scheduled backups from the notification area\n"
         "Exec=" +
         ExecArgument(programPath) +
         " /q\n"
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
  if (std::remove(path.c_str()) != 0 && errno != ENOENT)
    return Failure("cannot remove the autostart entry", path);
  return {};
}

Status UpdateAutostartEntry(bool scheduleEnabled, const std::string& programPath) {
  return scheduleEnabled ? WriteAutostartEntry(programPath) : RemoveAutostartEntry();
}

}  // namespace bkvp::engine
