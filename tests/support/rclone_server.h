// A real rclone server on 127.0.0.1 over a local folder, for the tests and
// the bench of backups to other machines: "rclone serve webdav" or "rclone
// serve sftp" on a free port, and an rclone configuration file naming a
// remote for it. Nothing here reaches beyond this machine.
#pragma once

#include <sys/types.h>

#include <string>

namespace bkvp::testing {

class RcloneServer {
 public:
  enum class Kind { kWebdav, kSftp };
  // Serves `root` (which must exist) and waits until the server says it
  // listens; `scratch` holds what the server keeps for itself (sftp keys).
  RcloneServer(Kind kind, const std::string& root, const std::string& scratch);
  ~RcloneServer();
  RcloneServer(const RcloneServer&) = delete;
  RcloneServer& operator=(const RcloneServer&) = delete;

  bool running() const { return port_ > 0; }
  int port() const { return port_; }
  // What the server said before it listened (or failed to).
  const std::string& startLog() const { return log_; }
  // The configuration section of a remote `name` for this server.
  std::string RemoteSection(const std::string& name) const;
  // Ends the server and waits for it.
  void Stop();

 private:
  Kind kind_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::string log_;
};

// A section of an encrypting remote `name` over `base` (e.g. "dav:secret"),
// its password made readable for rclone by "rclone obscure".
std::string CryptSection(const std::string& name, const std::string& base,
                         const std::string& password);

}  // namespace bkvp::testing
