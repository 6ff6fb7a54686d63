#include "app/ui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::ui {
namespace {

constexpr char kConfirmation[] = "ok\n";

QString LockPath() { return InstanceSocketPath() + ".lock"; }

// A folder of this user's that no other user may enter or write.
QString WhyNotPrivate(const QString& folder) {
  struct stat st {};
  if (lstat(QFile::encodeName(folder).constData(), &st) != 0)
    return QStringLiteral("cannot use %1: %2").arg(folder, strerror(errno));
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("%1 is not a folder").arg(folder);
  if (st.st_uid != getuid()) return QStringLiteral("%1 belongs to another user").arg(folder);
  if (st.st_mode & 077) return QStringLiteral("%1 is open to other users").arg(folder);
  return {};
}

// $XDG_RUNTIME_DIR is the session's own, closed to other users; without
// it, "run" in the state folder, made 0700. Either must be private: in a
// folder others can write to, another user could plant a lock and a socket
// where this program looks and so keep it from starting.
QString InstanceFolder(QString* error) {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QDir(folder).exists()) {
    folder = QString::fromStdString(platform::ProgramFolder()) + QStringLiteral("run");
    platform::CreateFolders(platform::ProgramFolder());
    mkdir(QFile::encodeName(folder).constData(), 0700);
  }
  if (QString why = WhyNotPrivate(folder); !why.isEmpty()) {
    if (error) *error = why;
    return {};
  }
  return folder;
}

}  // namespace

QString InstanceSocketPath() {
  const QString folder = InstanceFolder(nullptr);
  if (folder.isEmpty()) return {};
  const QByteArray state = QByteArray::fromStdString(platform::ProgramFolder());
  const QByteArray hash = QCryptographicHash::hash(state, QCryptographicHash::Sha256).toHex();
  return folder + QStringLiteral("/BackupVopal-%1-%2").arg(getuid()).arg(hash.left(16));
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(QString* error) {
  if (InstanceFolder(error).isEmpty()) return nullptr;
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
  // Only the program of this user takes the command, never a socket that
  // somebody else put there.
  const QString path = InstanceSocketPath();
  struct stat st {};
  if (lstat(QFile::encodeName(path).constData(), &st) == 0 &&
      (!S_ISSOCK(st.st_mode) || st.st_uid != getuid()))
    return {
        false,
        QStringLiteral("%1 is not this user's Backup Vopal; not handing it the command").arg(path)};
  QLocalSocket socket;
  // The first program may hold the lock and not listen yet: it is starting.
  for (;;) {
    socket.connectToServer(path);
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
