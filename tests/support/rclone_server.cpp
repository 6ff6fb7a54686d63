#include "tests/support/rclone_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <vector>

namespace bkvp::testing {
namespace {

constexpr const char* kUser = "tester";
constexpr const char* kPassword = "not-a-secret";

// Standard output of a short rclone command ("rclone obscure ...").
std::string RcloneOutput(const std::string& arguments) {
  std::string output;
  FILE* pipe = popen(("rclone " + arguments).c_str(), "r");
  if (!pipe) return output;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

}  // namespace

RcloneServer::RcloneServer(Kind kind, const std::string& root, const std::string& scratch)
    : kind_(kind) {
  std::vector<std::string> argv = {
      "rclone",   "serve",       kind == Kind::kWebdav ? "webdav" : "sftp",
      root,       "--addr",      "127.0.0.1:0",
      "--user",   kUser,         "--pass",
      kPassword,  "--cache-dir", scratch,
      "--config", "/dev/null"};
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(err[1], STDERR_FILENO);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(err[1]);
  // The line that names the port is the event waited for; the deadline only
  // guards against a server that never says it.
  const std::regex listening("127\\.0\\.0\\.1:([0-9]+)");
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::string pending;
  while (pid_ > 0 && port_ == 0 && std::chrono::steady_clock::now() < giveUp) {
    pollfd fd{err[0], POLLIN, 0};
    if (poll(&fd, 1, 1000) <= 0) continue;
    char buffer[1024];
    const ssize_t n = read(err[0], buffer, sizeof buffer);
    if (n <= 0) break;
    log_.append(buffer, size_t(n));
    pending.append(buffer, size_t(n));
    for (size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1)) {
      const std::string line = pending.substr(0, nl);
      std::smatch match;
      if ((line.find("started on") != std::string::npos ||
           line.find("listening on") != std::string::npos) &&
          std::regex_search(line, match, listening))
        port_ = std::stoi(match[1]);
    }
  }
  // Later lines go nowhere: the server must never block on a full pipe.
  if (fork() == 0) {
    char buffer[4096];
    while (read(err[0], buffer, sizeof buffer) > 0) {
    }
    _exit(0);
  }
  close(err[0]);
}

RcloneServer::~RcloneServer() { Stop(); }

void RcloneServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

std::string RcloneServer::RemoteSection(const std::string& name) const {
  const std::string password = RcloneOutput(std::string("obscure ") + kPassword);
  const std::string port = std::to_string(port_);
  if (kind_ == Kind::kWebdav)
    return "[" + name + "]\ntype = webdav\nurl = http://127.0.0.1:" + port +
           "/\nvendor = other\nuser = " + kUser + "\npass = " + password + "\n\n";
  return "[" + name + "]\ntype = sftp\nhost = 127.0.0.1\nport = " + port + "\nuser = " + kUser +
         "\npass = " + password + "\n\n";
}

std::string CryptSection(const std::string& name, const std::string& base,
                         const std::string& password) {
  return "[" + name + "]\ntype = crypt\nremote = " + base +
         "\npassword = " + RcloneOutput("obscure " + password) + "\n\n";
}

}  // namespace bkvp::testing
