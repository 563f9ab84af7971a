#include "hushgate-gui/qt/desktop_notifications.h"

#include <QDBusAbstractInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

#include "hushgate-gui/qt/qt_text.h"
#include "statics/Log.h"
#include "statics/contracts/desktop_notifications.h"

namespace gui_qt {

namespace {

// The service's interface, called as it is documented: without asking the
// service to describe itself first.
class NotificationsInterface : public QDBusAbstractInterface {
 public:
  explicit NotificationsInterface(const QDBusConnection& bus)
      : QDBusAbstractInterface(QString::fromLatin1(kNotificationService),
                               QString::fromLatin1(kNotificationObjectPath), kNotificationInterface,
                               bus, nullptr) {}
};

}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  const QString service = QString::fromLatin1(kNotificationService);
  const QString path = QString::fromLatin1(kNotificationObjectPath);
  const QString interface = QString::fromLatin1(kNotificationInterface);
  bus_.connect(service, path, interface, QString::fromLatin1(kNotificationActionSignal), this,
               SLOT(serviceActionInvoked(uint, QString)));
  bus_.connect(service, path, interface, QString::fromLatin1(kNotificationClosedSignal), this,
               SLOT(serviceNotificationClosed(uint, uint)));
  watcher_ =
      new QDBusServiceWatcher(service, bus_, QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    service_.reset();
    unavailable_ = false;
  });
}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::giveUp(const QString& why) {
  service_.reset();
  if (unavailable_) return;
  unavailable_ = true;
  Log("== no desktop notifications: %@", toStdString(why));
}

std::optional<uint32_t> DesktopNotifications::show(uint32_t replacesId, const std::string& title,
                                                   const std::string& body,
                                                   const gui::NotificationActions& actions) {
  if (unavailable_) return std::nullopt;
  if (!bus_.isConnected()) {
    giveUp(QStringLiteral("no session bus (%1)").arg(bus_.lastError().message()));
    return std::nullopt;
  }
  if (!service_) {
    service_ = std::make_unique<NotificationsInterface>(bus_);
    service_->setTimeout(kReplyTimeoutMs);
    const QDBusMessage capabilities =
        service_->call(QString::fromLatin1(kNotificationCapabilitiesMethod));
    bodyIsMarkup_ = capabilities.type() == QDBusMessage::ReplyMessage &&
                    !capabilities.arguments().isEmpty() &&
                    capabilities.arguments().constFirst().toStringList().contains(
                        QString::fromLatin1(kNotificationBodyMarkupCapability));
  }
  if (!service_->isValid()) {
    giveUp(service_->lastError().message());
    return std::nullopt;
  }
  QStringList actionList;
  for (const auto& [key, label] : actions) {
    actionList << QString::fromStdString(key) << QString::fromStdString(label);
  }
  const QDBusMessage reply = service_->call(
      QString::fromLatin1(kNotificationNotifyMethod),
      QString::fromLatin1(kNotificationApplicationName), static_cast<uint>(replacesId),
      QString::fromLatin1(kNotificationIconName), QString::fromStdString(title),
      bodyIsMarkup_ ? QString::fromStdString(body).toHtmlEscaped() : QString::fromStdString(body),
      actionList, QVariantMap(), static_cast<int>(kNotificationDefaultTimeout));
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    giveUp(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
    return std::nullopt;
  }
  bool ok = false;
  const uint id = reply.arguments().constFirst().toUInt(&ok);
  if (!ok) return std::nullopt;
  return id;
}

void DesktopNotifications::serviceActionInvoked(uint id, const QString& actionKey) {
  Q_EMIT actionInvoked(id, actionKey);
}

void DesktopNotifications::serviceNotificationClosed(uint id, uint /*reason*/) {
  Q_EMIT notificationClosed(id);
}

}  // namespace gui_qt
