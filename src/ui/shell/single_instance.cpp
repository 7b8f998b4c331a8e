#include "ui/shell/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace kv816 {

namespace {

QString userTag() {
  const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
  return user.isEmpty() ? QStringLiteral("user") : user;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty())
    folder = QDir::tempPath();
  lock_ = std::make_unique<QLockFile>(folder + QStringLiteral("/kv816-") + key_ +
                                      QStringLiteral("-") + userTag() + QStringLiteral(".lock"));
  // Only a dead owner makes a lock stale, however old it is.
  lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName() const {
  return QStringLiteral("kv816-") + key_ + QStringLiteral("-") + userTag();
}

bool SingleInstance::acquire() {
  if (!lock_->tryLock(0))
    return false;
  server_ = new QLocalServer(this);
  QLocalServer::removeServer(serverName()); // left behind by a crashed copy
  server_->listen(serverName());
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      socket->disconnectFromServer();
      emit raiseRequested();
    }
  });
  return true;
}

bool SingleInstance::askFirstToRaise(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName());
  if (!socket.waitForConnected(timeoutMs))
    return false;
  socket.disconnectFromServer();
  return true;
}

} // namespace kv816
