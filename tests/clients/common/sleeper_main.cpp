// bkvp_test_sleeper: a program that just stays alive, for the tests that look
// for, close and kill a running mail program. Copied under the searched name
// (e.g. "msimn.exe") before it is started.
//   --seconds N      live N seconds (default 60), then exit 0
//   --ignore-term    ignore the polite close request (SIGTERM)
//   --lock FILE      hold an exclusive lock on FILE ...
//   --hold-ms N      ... for N milliseconds (default: all the time)
//   --ready FILE     create FILE once set up, so the test knows when to go on
// Every start also writes "<its own path>.started", so that a test can wait
// for a program started by somebody else (a restart) as for any file.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  double seconds = 60;
  long holdMs = -1;
  std::string lockPath, readyPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--ignore-term") {
      signal(SIGTERM, SIG_IGN);
    } else if (arg == "--seconds" && hasValue) {
      seconds = std::atof(argv[++i]);
    } else if (arg == "--lock" && hasValue) {
      lockPath = argv[++i];
    } else if (arg == "--hold-ms" && hasValue) {
      holdMs = std::atol(argv[++i]);
    } else if (arg == "--ready" && hasValue) {
      readyPath = argv[++i];
    }
  }
  int lockFd = -1;
  if (!lockPath.empty()) {
    lockFd = open(lockPath.c_str(), O_RDWR);
    if (lockFd < 0 || flock(lockFd, LOCK_EX) != 0) return 2;
  }
  if (!readyPath.empty()) close(open(readyPath.c_str(), O_WRONLY | O_CREAT, 0644));
  close(open((std::string(argv[0]) + ".started").c_str(), O_WRONLY | O_CREAT, 0644));

  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  while (std::chrono::steady_clock::now() < end) {
    if (lockFd >= 0 && holdMs >= 0 &&
        std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(holdMs)) {
      flock(lockFd, LOCK_UN);
      close(lockFd);
      lockFd = -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}
