#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace bkvp::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReadChunk = 64 * 1024;
// Collected output beyond this is refused: a listing that large is not one
// this program asked for.
constexpr size_t kMaxCollectedOutput = 64u << 20;
constexpr size_t kKeptErrorLines = 20;
constexpr size_t kMaxErrorLine = 4096;
constexpr auto kPollInterval = std::chrono::milliseconds(100);
// How long a child asked to end with SIGTERM has before SIGKILL.
constexpr auto kTermGrace = std::chrono::seconds(3);

class Pipe {
 public:
  Pipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  bool ok() const { return fds_[0] >= 0; }
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void CloseRead() { CloseOne(0); }
  void CloseWrite() { CloseOne(1); }

 private:
  void CloseOne(int i) {
    if (fds_[i] >= 0) close(fds_[i]);
    fds_[i] = -1;
  }
  int fds_[2];
};

// The caller's environment with the extra entries put in place of any of
// the same name.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> result;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || x.rfind(name, 0) == 0;
    if (!replaced) result.push_back(entry);
  }
  result.insert(result.end(), extra.begin(), extra.end());
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& w : words) pointers.push_back(w.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeChild(char* const* argv, char* const* envp, pid_t parent, int out, int err,
                              int report) {
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);  // the caller died before the line above
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull < 0 || dup2(devNull, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
      dup2(err, STDERR_FILENO) < 0)
    _exit(127);
  // Files the caller holds open (an archive being written, the run lock)
  // are none of the child's business.
  close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  execvpe(argv[0], argv, envp);
  const int error = errno;
  (void)!::write(report, &error, sizeof error);
  _exit(127);
}

class ErrorLines {
 public:
  ErrorLines(const std::function<void(const std::string&)>& onLine, ChildResult& result)
      : onLine_(onLine), result_(result) {}
  void Add(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        Emit();
      } else if (partial_.size() < kMaxErrorLine) {
        partial_ += data[i];
      }
    }
  }
  void Finish() {
    if (!partial_.empty()) Emit();
  }

 private:
  void Emit() {
    if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
    if (onLine_) onLine_(partial_);
    result_.lastErrorLines.push_back(std::move(partial_));
    if (result_.lastErrorLines.size() > kKeptErrorLines)
      result_.lastErrorLines.erase(result_.lastErrorLines.begin());
    partial_.clear();
  }
  const std::function<void(const std::string&)>& onLine_;
  ChildResult& result_;
  std::string partial_;
};

// Whether the child has ended, without reaping it: while it is not reaped
// its process group cannot be anybody else's.
bool HasEnded(pid_t child) {
  siginfo_t info{};
  return waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == child;
}

// Ends what the child left in its group, then reaps the child.
void Reap(pid_t child, ChildResult& result) {
  kill(-child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

// Ends the child's whole group: SIGTERM, then SIGKILL after the grace.
void EndGroup(pid_t child, ChildResult& result) {
  kill(-child, SIGTERM);
  const auto giveUp = Clock::now() + kTermGrace;
  while (Clock::now() < giveUp && !HasEnded(child))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Reap(child, result);
}

}  // namespace

ChildResult RunChild(const ChildRun& run) {
  ChildResult result;
  if (run.argv.empty()) {
    result.startProblem = "no program to run";
    return result;
  }
  std::vector<std::string> argv = run.argv;
  std::vector<std::string> env = EnvironmentWith(run.environment);
  std::vector<char*> argvPointers = Pointers(argv), envPointers = Pointers(env);
  Pipe out, err, report;
  if (!out.ok() || !err.ok() || !report.ok()) {
    result.startProblem = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child < 0) {
    result.startProblem = std::string("cannot start a process: ") + std::strerror(errno);
    return result;
  }
  if (child == 0)
    BecomeChild(argvPointers.data(), envPointers.data(), parent, out.write(), err.write(),
                report.write());
  // Also here, so that no signal can reach the child before it is in its
  // own group.
  setpgid(child, child);
  out.CloseWrite();
  err.CloseWrite();
  report.CloseWrite();
  int execError = 0;
  ssize_t n;
  while ((n = read(report.read(), &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  if (n > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.startProblem = "cannot run " + run.argv[0] + ": " + std::strerror(execError);
    return result;
  }
  result.started = true;

  fcntl(out.read(), F_SETFL, O_NONBLOCK);
  fcntl(err.read(), F_SETFL, O_NONBLOCK);
  ErrorLines errorLines(run.onErrorLine, result);
  const auto started = Clock::now();
  std::vector<char> buffer(kReadChunk);
  bool outOpen = true, errOpen = true;
  // Reads what is there; false when the child's output has been refused.
  auto drain = [&](int fd, bool& open, bool isOutput) {
    for (;;) {
      const ssize_t got = read(fd, buffer.data(), buffer.size());
      if (got == 0) {
        open = false;
        return true;
      }
      if (got < 0) return true;  // EAGAIN, EINTR: more later
      if (!isOutput) {
        errorLines.Add(buffer.data(), size_t(got));
      } else if (run.onOutput) {
        if (!run.onOutput(buffer.data(), size_t(got))) return false;
      } else {
        if (result.output.size() + size_t(got) > kMaxCollectedOutput) return false;
        result.output.append(buffer.data(), size_t(got));
      }
    }
  };
  for (;;) {
    pollfd fds[2];
    int count = 0;
    if (outOpen) fds[count++] = {out.read(), POLLIN, 0};
    if (errOpen) fds[count++] = {err.read(), POLLIN, 0};
    if (count > 0) {
      poll(fds, nfds_t(count), int(kPollInterval.count()));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if ((outOpen && !drain(out.read(), outOpen, true))) {
      result.outputRefused = true;
      break;
    }
    if (errOpen) drain(err.read(), errOpen, false);
    if (HasEnded(child)) {
      // Whatever it wrote before it ended is still in the pipes.
      const bool accepted = !outOpen || drain(out.read(), outOpen, true);
      if (errOpen) drain(err.read(), errOpen, false);
      errorLines.Finish();
      Reap(child, result);
      result.outputRefused = !accepted;
      return result;
    }
    if (run.shouldStop && run.shouldStop()) {
      result.stopped = true;
      break;
    }
    if (run.deadline && Clock::now() - started > *run.deadline) {
      result.timedOut = true;
      break;
    }
  }
  EndGroup(child, result);
  errorLines.Finish();
  return result;
}

std::optional<std::string> FindProgram(const std::string& name) {
  auto executable = [](const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
  };
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos)
    return executable(name) ? std::optional<std::string>(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t colon = std::min(folders.find(':', start), folders.size());
    std::string folder = folders.substr(start, colon - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    if (executable(candidate)) return candidate;
    start = colon + 1;
  }
  return std::nullopt;
}

}  // namespace bkvp::platform
