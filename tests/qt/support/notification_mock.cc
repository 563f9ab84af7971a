#include "support/notification_mock.h"

#include <QDBusAbstractInterface>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>

#include "statics/contracts/desktop_notifications.h"

namespace qt_testing {

namespace {

constexpr char kMockInterface[] = "org.freedesktop.DBus.Mock";

// The stand-in's control interface, called without introspection.
class MockInterface : public QDBusAbstractInterface {
 public:
  explicit MockInterface(const QDBusConnection& bus)
      : QDBusAbstractInterface(QString::fromLatin1(kNotificationService),
                               QString::fromLatin1(kNotificationObjectPath), kMockInterface, bus,
                               nullptr) {}
};

}  // namespace

std::vector<MockCall> notificationMockCalls(const QDBusConnection& bus) {
  const QDBusMessage reply = MockInterface(bus).call(QStringLiteral("GetCalls"));
  std::vector<MockCall> calls;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return calls;
  const QDBusArgument record = reply.arguments().constFirst().value<QDBusArgument>();
  record.beginArray();
  while (!record.atEnd()) {
    qulonglong time = 0;
    MockCall call;
    record.beginStructure();
    record >> time >> call.method >> call.args;
    record.endStructure();
    for (QVariant& arg : call.args) {
      if (arg.canConvert<QDBusVariant>()) arg = arg.value<QDBusVariant>().variant();
    }
    calls.push_back(call);
  }
  record.endArray();
  return calls;
}

std::vector<MockCall> notificationMockNotifyCalls(const QDBusConnection& bus) {
  std::vector<MockCall> notify;
  for (const MockCall& call : notificationMockCalls(bus)) {
    if (call.method == QLatin1String(kNotificationNotifyMethod)) notify.push_back(call);
  }
  return notify;
}

bool emitNotificationSignal(const QDBusConnection& bus, const QString& name,
                            const QString& signature, const QVariantList& args) {
  const QDBusMessage reply =
      MockInterface(bus).call(QStringLiteral("EmitSignal"),
                              QString::fromLatin1(kNotificationInterface), name, signature, args);
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace qt_testing
