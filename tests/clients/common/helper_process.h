// Real processes for the client tests: the sleeper program copied under a
// chosen name and started, so that the clients find, close and kill it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bkvp::testing {

// The built sleeper program (beside the other binaries).
std::string SleeperProgram();

class HelperProcess {
 public:
  // Copies the sleeper to folder/name (unless it is there), starts it with the arguments and waits
  // until it has set itself up. runAsUid >= 0 starts it as that user
  // (root only).
  HelperProcess(const std::string& folder, const std::string& name,
                std::vector<std::string> arguments = {}, int runAsUid = -1);
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& path() const { return path_; }
  // Collects the exit of the child; true when it has ended within the time.
  bool Reap(std::chrono::milliseconds timeout = std::chrono::seconds(30));

 private:
  std::string path_;
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// True once a program at `path` (a copy of the sleeper) runs, started by
// anybody; false when the timeout passes first.
bool WaitUntilRunning(const std::string& path,
                      std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace bkvp::testing
