// The notification service's stand-in (python3-dbusmock's notification
// template) as tests and the screenshot program read and drive it: its record
// of the calls it was sent, and the signals a desktop sends.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantList>
#include <vector>

namespace qt_testing {

// One call the stand-in recorded, its arguments unwrapped from their
// variants.
struct MockCall {
  QString method;
  QVariantList args;
};

// What the stand-in on bus was sent, in order; empty when it does not
// answer. Asked without introspection.
std::vector<MockCall> notificationMockCalls(const QDBusConnection& bus);

// The recorded Notify calls alone.
std::vector<MockCall> notificationMockNotifyCalls(const QDBusConnection& bus);

// Makes the stand-in send a signal of the notification interface (as the
// desktop sends ActionInvoked); true when it did.
bool emitNotificationSignal(const QDBusConnection& bus, const QString& name,
                            const QString& signature, const QVariantList& args);

}  // namespace qt_testing
