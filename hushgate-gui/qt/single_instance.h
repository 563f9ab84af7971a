// One running settings application per user and device: the first instance
// listens on a local socket named after the user and the device root (its
// canonical path, so every spelling of one folder, relative, absolute or
// through symbolic links, is one device); a later start hands its message (a
// URL, or nothing to bring the window forward) to that instance and ends
// instead of opening a second window.
//
// The instance holds an advisory lock beside the socket (FileLock) for its
// whole life; only the holder makes or replaces the socket, so two starts
// can never both listen, and the socket of an instance that was killed
// (whose lock the system released) is taken over.
//
// Protocol: the client writes the message in UTF-8 and "\n"; the server
// answers "ok\n" once it has handled the message. Messages longer than 64 KiB
// are refused.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "statics/file_lock.h"

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

  // Starts listening. False when another instance holds the device (the
  // caller hands its message over instead) or the socket cannot be made; a
  // socket left behind by an instance that died is replaced.
  bool listen();
  // Whether listen failed because another instance holds the device.
  bool anotherInstanceRuns() const { return anotherInstanceRuns_; }

 signals:
  // A message from a later start, on the main thread; the sender learns
  // that it was taken once the handlers have returned.
  void messageReceived(const QString& message);

 private:
  void onNewConnection();

  QLocalServer* server_;
  std::optional<FileLock> lock_;
  bool anotherInstanceRuns_ = false;
};

}  // namespace gui_qt
