// One running settings application per user and device: the first instance
// listens on a local socket named after the user and the device root; a later
// start hands its message (a URL, or nothing to bring the window forward) to
// that instance and ends instead of opening a second window.
//
// Protocol: the client writes the message in UTF-8 and "\n"; the server
// answers "ok\n" once it has handled the message. Messages longer than 64 KiB
// are refused.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace gui_qt {

// The local socket's name for this user and device root.
QString instanceServerName();

// Hands message to the running instance; true when one took it.
bool sendToRunningInstance(const QString& message, int timeoutMs = 3000);

class InstanceServer : public QObject {
  Q_OBJECT

 public:
  explicit InstanceServer(QObject* parent = nullptr);

  // Starts listening. False when another instance is already listening (the
  // caller hands its message over instead) or the socket cannot be made; a
  // socket left behind by an instance that died is replaced.
  bool listen();

 signals:
  // A message from a later start, on the main thread; the sender learns
  // that it was taken once the handlers have returned.
  void messageReceived(const QString& message);

 private:
  void onNewConnection();

  QLocalServer* server_;
};

}  // namespace gui_qt
