#include "tests/clients/common/helper_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "clients/common/running_program.h"
#include "tests/support/file_events.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {

std::string SleeperProgram() { return BinDir() + "/bkvp_test_sleeper"; }

bool WaitUntilRunning(const std::string& path, std::chrono::milliseconds timeout) {
  return WaitUntil(
      std::filesystem::path(path).parent_path(),
      [&] { return clients::FindRunningProgram(path).has_value(); }, timeout);
}

HelperProcess::HelperProcess(const std::string& folder, const std::string& name,
                             std::vector<std::string> arguments, int runAsUid) {
  namespace fs = std::filesystem;
  path_ = folder + "/" + name;
  // A second instance of one program runs the copy already there.
  if (!fs::exists(path_)) fs::copy_file(SleeperProgram(), path_);
  fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  const std::string ready = path_ + ".ready";
  unlink(ready.c_str());
  if (runAsUid >= 0) chmod(folder.c_str(), 0777);  // the other user writes the ready file
  arguments.insert(arguments.begin(), {path_, "--ready", ready});
  std::vector<char*> argv;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (runAsUid >= 0 && (setgid(runAsUid) != 0 || setuid(runAsUid) != 0)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (!WaitUntil(folder, [&] { return access(ready.c_str(), F_OK) == 0; }))
    throw std::runtime_error("helper " + path_ + " did not start");
}

HelperProcess::~HelperProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool HelperProcess::Reap(std::chrono::milliseconds timeout) {
  if (reaped_) return true;
  reaped_ = WaitForExit(pid_, timeout) && waitpid(pid_, nullptr, 0) == pid_;
  return reaped_;
}

}  // namespace bkvp::testing
