#include "platform/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace bkvp::platform {

namespace {

// Bounds what is read of a process's command line: only the first word is
// wanted, and /proc/PID/cmdline can be huge.
constexpr size_t kMaxCommandLine = 4096;

std::string ProcPath(pid_t pid, const char* entry) {
  return "/proc/" + std::to_string(pid) + "/" + entry;
}

std::string ReadExeTarget(pid_t pid) {
  char buffer[4096];
  const ssize_t n = readlink(ProcPath(pid, "exe").c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ReadFirstWord(pid_t pid) {
  const int fd = open(ProcPath(pid, "cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "";
  std::string text(kMaxCommandLine, '\0');
  const ssize_t n = read(fd, text.data(), text.size());
  close(fd);
  if (n <= 0) return "";
  text.resize(static_cast<size_t>(n));
  return text.substr(0, text.find('\0'));
}

// The state letter of /proc/PID/stat ('Z' zombie, 'X' dead); '\0' when the
// process does not exist.
char ProcessState(pid_t pid) {
  std::ifstream in(ProcPath(pid, "stat"));
  std::string line;
  if (!std::getline(in, line)) return '\0';
  // The command name in parentheses may itself hold blanks and ")".
  const size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return '\0';
  return line[close + 2];
}

bool ReadRealUid(pid_t pid, uid_t* uid) {
  std::ifstream in(ProcPath(pid, "status"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("Uid:", 0) == 0) {
      std::istringstream fields(line.substr(4));
      unsigned long value = 0;
      if (!(fields >> value)) return false;
      *uid = static_cast<uid_t>(value);
      return true;
    }
  }
  return false;
}

bool Exited(char state) { return state == '\0' || state == 'Z' || state == 'X'; }

SignalOutcome SendSignal(pid_t pid, int signal) {
  if (pid <= 0) return SignalOutcome::NotPermitted;
  if (Exited(ProcessState(pid))) return SignalOutcome::Gone;
  uid_t uid = 0;
  if (!ReadRealUid(pid, &uid)) return SignalOutcome::Gone;
  if (uid != getuid()) return SignalOutcome::NotPermitted;
  if (kill(pid, signal) == 0) return SignalOutcome::Sent;
  return errno == ESRCH ? SignalOutcome::Gone : SignalOutcome::NotPermitted;
}

// Words of a parameter text: blanks separate, double quotes group.
std::vector<std::string> SplitParameters(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inQuotes = false, inWord = false;
  for (char c : text) {
    if (c == '"') {
      inQuotes = !inQuotes;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<ProcessInfo> ListProcesses() {
  std::vector<ProcessInfo> result;
  DIR* dir = opendir("/proc");
  if (!dir) return result;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    ProcessInfo info;
    info.pid = static_cast<pid_t>(pid);
    if (Exited(ProcessState(info.pid))) continue;
    if (!ReadRealUid(info.pid, &info.uid)) continue;
    info.exePath = ReadExeTarget(info.pid);
    info.firstWord = ReadFirstWord(info.pid);
    result.push_back(std::move(info));
  }
  closedir(dir);
  std::sort(result.begin(), result.end(),
            [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; });
  return result;
}

bool ProcessAlive(pid_t pid) { return pid > 0 && !Exited(ProcessState(pid)); }

bool OwnedByCurrentUser(pid_t pid) {
  uid_t uid = 0;
  return ProcessAlive(pid) && ReadRealUid(pid, &uid) && uid == getuid();
}

SignalOutcome RequestClose(pid_t pid) { return SendSignal(pid, SIGTERM); }

SignalOutcome Kill(pid_t pid) { return SendSignal(pid, SIGKILL); }

bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const auto poll = std::chrono::milliseconds(20);
  for (;;) {
    if (!ProcessAlive(pid)) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(poll, deadline - now));
  }
}

bool ShellOpen(const std::string& path, const std::string& parameters) {
  // Nothing there to open: the shell would fail too, only later and unseen.
  if (access(path.c_str(), F_OK) != 0) return false;
  std::vector<std::string> argv;
  if (IsExecutableFile(path)) {
    argv.push_back(path);
    for (auto& word : SplitParameters(parameters)) argv.push_back(std::move(word));
  } else {
    argv = {"xdg-open", path};
  }
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);

  // The grandchild reports a failed exec through a close-on-exec pipe: a
  // successful exec closes it without a word.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    execvp(args[0], args.data());
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  while ((n = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  const bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return forked && n == 0;
}

}  // namespace bkvp::platform
