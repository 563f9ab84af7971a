#include "hushgate-gui/qt/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include "platform/paths.h"

namespace gui_qt {

namespace {

constexpr qint64 kMaxMessageBytes = 64 * 1024;
constexpr char kAnswer[] = "ok\n";

}  // namespace

QString instanceServerName() {
  const QByteArray root = QByteArray::fromStdString(platform::deviceRoot());
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
  const QString name = instanceServerName();
  if (server_->listen(name)) return true;
  if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
  // In use: by a live instance, or a socket file left by one that died.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(1000)) return false;
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
