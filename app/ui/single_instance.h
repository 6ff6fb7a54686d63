// One program per user and state folder. The first start holds a lock file
// for its whole life and listens on a local socket; a later start finds the
// lock taken, hands its command to the first over the socket and ends.
//
// The lock, not the socket, decides who is first: the kernel drops a lock
// with its process, so a socket left behind by a killed program never keeps
// the next start from taking over, and two starts at the same moment never
// both become the first.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

namespace bkvp::ui {

// Socket path for this user and state folder: the user id and a hash of the
// state folder, so that tests in their own BKVP_HOME never meet the user's
// real program. In $XDG_RUNTIME_DIR, else in "run" of the state folder;
// "" when that folder is not this user's alone.
QString InstanceSocketPath();

// Holds the lock file beside the socket while it exists.
class InstanceLock {
 public:
  // Null when another program holds it (or the lock file cannot be opened:
  // `error` then says why).
  static std::unique_ptr<InstanceLock> TryAcquire(QString* error);
  ~InstanceLock();

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

struct ForwardResult {
  bool delivered = false;
  QString error;  // why not, for stderr
};

// Sends `command` (0 for none) to the first program and waits until it
// confirms, at most `timeoutMs`.
ForwardResult ForwardCommand(int command, int timeoutMs);

// The first program's end: confirms each command and announces it.
class InstanceServer : public QObject {
  Q_OBJECT
 public:
  explicit InstanceServer(QObject* parent = nullptr);
  // Removes a socket file left by a killed program, then listens. Call only
  // while holding the InstanceLock.
  bool Listen(QString* error);

 signals:
  void commandReceived(int command);

 private:
  void OnNewConnection();
  QLocalServer server_;
};

}  // namespace bkvp::ui
