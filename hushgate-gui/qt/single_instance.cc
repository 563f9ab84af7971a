#include "hushgate-gui/qt/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>
#include <filesystem>
#include <string>

#include "platform/paths.h"

namespace gui_qt {

namespace {

constexpr qint64 kMaxMessageBytes = 64 * 1024;
constexpr char kAnswer[] = "ok\n";

// The device root as one path for every spelling of it: absolute, with
// symbolic links, "." and ".." resolved (as far as it exists).
std::string canonicalDeviceRoot() {
  namespace fs = std::filesystem;
  const auto normal = [](fs::path path) {
    path = path.lexically_normal();
    if (path.filename().empty() && path.has_parent_path()) path = path.parent_path();
    return path;
  };
  std::error_code error;
  const fs::path root = normal(fs::absolute(platform::deviceRoot(), error));
  if (error) return platform::deviceRoot();
  const fs::path canonical = fs::weakly_canonical(root, error);
  return error ? root.string() : normal(canonical).string();
}

// Where QLocalServer puts the socket of a plain name.
std::string socketPath(const QString& name) {
  return QFile::encodeName(QDir::tempPath() + "/" + name).toStdString();
}

}  // namespace

QString instanceServerName() {
  const QByteArray root = QByteArray::fromStdString(canonicalDeviceRoot());
  const QByteArray digest =
      QCryptographicHash::hash(root, QCryptographicHash::Sha256).toHex().left(16);
  return QStringLiteral("hushgate-gui-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

bool sendToRunningInstance(const QString& message, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(instanceServerName());
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(message.toUtf8() + '\n');
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  QByteArray answer;
  while (!answer.endsWith('\n')) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
    answer += socket.readAll();
  }
  return answer == kAnswer;
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  connect(server_, &QLocalServer::newConnection, this, &InstanceServer::onNewConnection);
}

bool InstanceServer::listen() {
  anotherInstanceRuns_ = false;
  const QString name = instanceServerName();
  if (!lock_) {
    Result<std::optional<FileLock>> lock = FileLock::tryAcquire(socketPath(name));
    if (!lock) {
      qWarning("hushgate-gui: %s", lock.error().c_str());
      return false;
    }
    if (!*lock) {
      anotherInstanceRuns_ = true;
      return false;
    }
    lock_ = std::move(**lock);
  }
  if (server_->isListening()) return true;
  // Holding the lock, any socket at the name is one a dead instance left.
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

void InstanceServer::onNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->property("done").toBool()) return;
      if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxMessageBytes) socket->abort();
        return;
      }
      const QByteArray line = socket->readLine(kMaxMessageBytes + 1);
      if (!line.endsWith('\n')) return socket->abort();
      socket->setProperty("done", true);
      // Answered once handled, so the sender may end right away.
      emit messageReceived(QString::fromUtf8(line.chopped(1)));
      socket->write(kAnswer);
      socket->disconnectFromServer();
    });
  }
}

}  // namespace gui_qt
