#include "app/ui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace bkvp::ui {
namespace {

constexpr char kConfirmation[] = "ok\n";

QString LockPath() { return InstanceSocketPath() + ".lock"; }

}  // namespace

QString InstanceSocketPath() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
  const QByteArray state = QByteArray::fromStdString(platform::ProgramFolder());
  const QByteArray hash = QCryptographicHash::hash(state, QCryptographicHash::Sha256).toHex();
  return folder + QStringLiteral("/BackupVopal-%1-%2").arg(getuid()).arg(hash.left(16));
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(QString* error) {
  const QByteArray path = QFile::encodeName(LockPath());
  const int fd = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (error) *error = QStringLiteral("cannot open %1: %2").arg(LockPath(), strerror(errno));
    return nullptr;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() { close(fd_); }

ForwardResult ForwardCommand(int command, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  // The first program may hold the lock and not listen yet: it is starting.
  for (;;) {
    socket.connectToServer(InstanceSocketPath());
    if (socket.waitForConnected(int(deadline.remainingTime()))) break;
    if (deadline.hasExpired())
      return {
          false,
          QStringLiteral("cannot reach the running Backup Vopal: %1").arg(socket.errorString())};
    QThread::msleep(50);
  }
  socket.write(QByteArray::number(command) + "\n");
  socket.flush();
  QByteArray answer;
  while (!answer.contains('\n') && socket.waitForReadyRead(int(deadline.remainingTime())))
    answer += socket.readAll();
  if (answer != kConfirmation)
    return {false, QStringLiteral("the running Backup Vopal does not answer (waited %1 s)")
                       .arg(timeoutMs / 1000.0)};
  return {true, {}};
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

bool InstanceServer::Listen(QString* error) {
  QLocalServer::removeServer(InstanceSocketPath());
  if (server_.listen(InstanceSocketPath())) return true;
  if (error) *error = server_.errorString();
  return false;
}

void InstanceServer::OnNewConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) return;
      bool ok = false;
      const int command = socket->readLine().trimmed().toInt(&ok);
      socket->write(kConfirmation);
      socket->flush();
      socket->disconnectFromServer();
      if (ok) emit commandReceived(command);
    });
  }
}

}  // namespace bkvp::ui
