// The desktop's notification service on the session bus
// (statics/contracts/desktop_notifications.h), as the sink of the settings
// application's notifications. A session without a bus or without the
// service is no error: it is logged once, and nothing is sent while it
// lasts; a service that appears later is used from then on.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hushgate-gui/core/models/notification_sink.h"

class QDBusAbstractInterface;
class QDBusServiceWatcher;

namespace gui_qt {

class DesktopNotifications : public QObject, public gui::NotificationSink {
  Q_OBJECT

 public:
  explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
  ~DesktopNotifications() override;

  // Notify with this application's name and icon, no hints and the
  // service's own time-out; blocks until the service answers (at most
  // kReplyTimeoutMs). The body is escaped for a service that reads it as
  // markup (capability "body-markup").
  std::optional<uint32_t> show(uint32_t replacesId, const std::string& title,
                               const std::string& body,
                               const gui::NotificationActions& actions) override;

  static constexpr int kReplyTimeoutMs = 3000;

 Q_SIGNALS:
  // The service's signals, for every notification on the desktop: the
  // receivers tell their own ids apart.
  void actionInvoked(uint id, const QString& actionKey);
  void notificationClosed(uint id);

 private Q_SLOTS:
  void serviceActionInvoked(uint id, const QString& actionKey);
  void serviceNotificationClosed(uint id, uint reason);

 private:
  // Logs why nothing can be shown, once until the service comes back.
  void giveUp(const QString& why);

  QDBusConnection bus_;
  std::unique_ptr<QDBusAbstractInterface> service_;
  QDBusServiceWatcher* watcher_ = nullptr;  // child
  bool unavailable_ = false;
  bool bodyIsMarkup_ = false;  // asked once per service
};

}  // namespace gui_qt
