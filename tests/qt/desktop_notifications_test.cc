// The desktop notifications against a real message bus: a private
// dbus-daemon and the notification service stand-in of python3-dbusmock
// (template notification_daemon). What Notify got is read back from the
// stand-in's record of calls; the actions are the stand-in's own signals;
// without a bus or a service nothing is shown and one line is logged.
//
// HUSHGATE_NOTIFICATION_RECORD=FILE keeps the stand-in's record of a grouped
// notification as text there.
#include "hushgate-gui/qt/desktop_notifications.h"

#include <QDBusAbstractInterface>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/block_notifications.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/blocked_call_notifications.h"
#include "hushgate-gui/qt/qt_text.h"
#include "statics/Log.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/desktop_notifications.h"
#include "statics/contracts/fired_rule.h"
#include "statics/contracts/names.h"
#include "statics/contracts/pref_document.h"
#include "support/child_process.h"
#include "support/notification_mock.h"
#include "support/private_bus.h"
#include "support/qt_gui_test.h"

namespace {

using namespace std::chrono_literals;
using gui_qt::toQString;
using testing_support::ChildProcess;

constexpr int64_t kStart = 20000;
constexpr char kGaveUp[] = "no desktop notifications";

BlockRecord block(const std::string& id, const std::string& number, int64_t date,
                  const std::string& pattern) {
  BlockRecord record{id, number, date, BlockReasonBlacklist, ""};
  setBlockRecordRule(record, {RuleKind::kBlacklist, pattern, "", ""}, /*passed=*/false);
  return record;
}

const BlockRecord kOld = block("old", "13800000000", kStart - 10, "138*");
const BlockRecord kFirst = block("b1", "13800138000", kStart + 10, "138*");
const BlockRecord kSecond = block("b2", "13900139000", kStart + 40, "139*");

using qt_testing::MockCall;

// A private session bus, and on it, once started, the notification service
// stand-in. Children still running at the end are killed.
class NotificationBus {
 public:
  explicit NotificationBus(const std::string& folder) {
    const std::string config = folder + "/session.conf";
    // No service folders: nothing on this machine is started for a name.
    testing_support::writePrivateBusConfig(config, folder + "/bus",
                                           testing_support::BusType::kSession);
    daemon_ = ChildProcess::start(
        {"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork", "--print-address"},
        {.captureErrors = true});
    if (daemon_ != nullptr) address_ = daemon_->readLine(10s).value_or("");
    connection_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(toQString(address_), kConnectionName));
  }

  ~NotificationBus() {
    connection_.reset();
    QDBusConnection::disconnectFromBus(kConnectionName);
    mock_.reset();
    daemon_.reset();
  }

  QDBusConnection connection() const { return *connection_; }

  // Starts the stand-in with this bus as its session bus; true once it owns
  // the service's name.
  bool startService(const std::string& parameters = "") {
    QDBusServiceWatcher watcher(QString::fromLatin1(kNotificationService), *connection_,
                                QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    const char* previous = getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string kept = previous != nullptr ? previous : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    std::vector<std::string> argv = {"/usr/bin/python3", "-m", "dbusmock", "--template",
                                     "notification_daemon"};
    if (!parameters.empty()) argv.insert(argv.end(), {"--parameters", parameters});
    mock_ = ChildProcess::start(argv, {.captureErrors = true});
    if (previous != nullptr) {
      setenv("DBUS_SESSION_BUS_ADDRESS", kept.c_str(), 1);
    } else {
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    if (mock_ == nullptr) return false;
    return connection_->interface()->isServiceRegistered(kNotificationService) ||
           registered.wait(15000);
  }

  std::string serviceErrors() const { return mock_ != nullptr ? mock_->errors() : ""; }

  std::vector<MockCall> notifyCalls() const {
    return qt_testing::notificationMockNotifyCalls(*connection_);
  }

  // The service's ActionInvoked signal, as the desktop sends it.
  bool emitAction(uint id, const QString& key) const {
    return qt_testing::emitNotificationSignal(
        *connection_, QString::fromLatin1(kNotificationActionSignal), QStringLiteral("us"),
        {QVariant::fromValue(id), QVariant::fromValue(key)});
  }

 private:
  static constexpr char kConnectionName[] = "notification-test-bus";

  std::unique_ptr<ChildProcess> daemon_;
  std::unique_ptr<ChildProcess> mock_;
  std::string address_;
  std::unique_ptr<QDBusConnection> connection_;
};

// A readable line of one recorded call, for the saved record and failures.
QString callText(const MockCall& call) {
  QStringList parts;
  for (const QVariant& arg : call.args) {
    if (arg.canConvert<QDBusArgument>() &&
        arg.value<QDBusArgument>().currentSignature().startsWith(QStringLiteral("a{"))) {
      parts << QStringLiteral("{") +
                   QStringList(qdbus_cast<QVariantMap>(arg).keys()).join(QStringLiteral(", ")) +
                   QStringLiteral("}");
    } else if (arg.canConvert<QDBusArgument>()) {
      parts << QStringLiteral("[") + qdbus_cast<QStringList>(arg).join(QStringLiteral(", ")) +
                   QStringLiteral("]");
    } else if (arg.metaType() == QMetaType::fromType<QStringList>()) {
      parts << QStringLiteral("[") + arg.toStringList().join(QStringLiteral(", ")) +
                   QStringLiteral("]");
    } else {
      parts << arg.toString();
    }
  }
  return call.method + QStringLiteral("(") + parts.join(QStringLiteral(" | ")) +
         QStringLiteral(")");
}

QStringList stringList(const QVariant& value) {
  return value.canConvert<QDBusArgument>() ? qdbus_cast<QStringList>(value) : value.toStringList();
}

size_t logLinesGivingUp(const testing_support::TempDeviceRoot& root) {
  std::istringstream log(root.read(kLogFilePath));
  size_t count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find(kGaveUp) != std::string::npos) ++count;
  }
  return count;
}

class DesktopNotificationsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    session_ = std::make_unique<qt_testing::GuiSession>();
    session_->root().write(kLogFilePath, "");
    QVERIFY(qt_testing::waitUntil([] { return logMayBeOn(); }));
    bus_ = std::make_unique<NotificationBus>(session_->root().path());
    QVERIFY(bus_->connection().isConnected());
  }
  void cleanup() {
    bus_.reset();
    session_.reset();
  }

  void notifyGetsTheTextsAndGroupsByReplacing() {
    QVERIFY2(bus_->startService(), bus_->serviceErrors().c_str());
    gui_qt::DesktopNotifications sink(bus_->connection());
    gui::BlockNotifier notifier({.sink = &sink, .startedAt = kStart});
    notifier.historyLoaded({kOld});
    notifier.historyLoaded({kFirst, kOld});
    notifier.historyLoaded({kSecond, kFirst, kOld});

    struct Expected {
      uint replacesId;
      QString summary;
      QString body;
      QStringList actions;
    };
    const std::vector<Expected> expected = {
        {0,
         QStringLiteral("已拦截来电：13800138000"),
         QStringLiteral("黑名单 138*"),
         {QStringLiteral("allow"), QStringLiteral("允许此号码"), QStringLiteral("open-history"),
          QStringLiteral("查看拦截记录")}},
        {1,
         QStringLiteral("已拦截 2 个来电"),
         QStringLiteral("13900139000：黑名单 139*\n13800138000：黑名单 138*"),
         {QStringLiteral("open-history"), QStringLiteral("查看拦截记录")}},
    };
    const std::vector<MockCall> notify = bus_->notifyCalls();
    QCOMPARE(notify.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const QVariantList& args = notify[i].args;
      QCOMPARE(args.size(), 8);
      QCOMPARE(args[0].toString(), QStringLiteral("hushgate-gui"));
      QCOMPARE(args[1].toUInt(), expected[i].replacesId);
      QCOMPARE(args[2].toString(), QStringLiteral("hushgate-gui"));
      QCOMPARE(args[3].toString(), expected[i].summary);
      QCOMPARE(args[4].toString(), expected[i].body);
      QCOMPARE(stringList(args[5]), expected[i].actions);
      QCOMPARE(args[7].toInt(), -1);
    }
    if (const char* path = getenv("HUSHGATE_NOTIFICATION_RECORD")) {
      std::ofstream(path) << gui_qt::toStdString(callText(notify.back())) << "\n";
    }
  }

  void theBodyIsEscapedForAMarkupService_data() {
    QTest::addColumn<QString>("capabilities");
    QTest::addColumn<QString>("body");
    QTest::newRow("markup") << QString() << QStringLiteral("关键词 &lt;推销&gt; &amp; 理财");
    QTest::newRow("plain text") << QStringLiteral("body actions")
                                << QStringLiteral("关键词 <推销> & 理财");
  }
  void theBodyIsEscapedForAMarkupService() {
    QFETCH(QString, capabilities);
    QFETCH(QString, body);
    const std::string parameters =
        capabilities.isEmpty() ? ""
                               : Json{{"capabilities", gui_qt::toStdString(capabilities)}}.dump();
    QVERIFY2(bus_->startService(parameters), bus_->serviceErrors().c_str());
    gui_qt::DesktopNotifications sink(bus_->connection());
    QVERIFY(sink.show(0, "title", "关键词 <推销> & 理财", {}).has_value());
    const std::vector<MockCall> notify = bus_->notifyCalls();
    QCOMPARE(notify.size(), size_t{1});
    QCOMPARE(notify[0].args[4].toString(), body);
  }

  void actionsOfTheServiceAct_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("ofOurNotification");
    QTest::addColumn<int>("allowEntries");
    QTest::addColumn<int>("historyOpened");
    QTest::newRow("allow") << QStringLiteral("allow") << true << 1 << 0;
    QTest::newRow("open history") << QStringLiteral("open-history") << true << 0 << 1;
    QTest::newRow("another application's") << QStringLiteral("allow") << false << 0 << 0;
  }
  void actionsOfTheServiceAct() {
    QFETCH(QString, key);
    QFETCH(bool, ofOurNotification);
    QFETCH(int, allowEntries);
    QFETCH(int, historyOpened);
    QVERIFY2(bus_->startService(), bus_->serviceErrors().c_str());
    gui_qt::DesktopNotifications sink(bus_->connection());
    int opened = 0;
    gui::BlockNotifier notifier(
        {.sink = &sink, .openHistory = [&opened] { ++opened; }, .startedAt = kStart});
    connect(&sink, &gui_qt::DesktopNotifications::actionInvoked, &sink,
            [&notifier](uint id, const QString& actionKey) {
              notifier.actionInvoked(id, gui_qt::toStdString(actionKey));
            });
    notifier.historyLoaded({kFirst, kOld});
    QCOMPARE(bus_->notifyCalls().size(), size_t{1});

    QSignalSpy invoked(&sink, &gui_qt::DesktopNotifications::actionInvoked);
    QVERIFY(bus_->emitAction(ofOurNotification ? 1 : 2, key));
    QVERIFY(invoked.wait(5000));

    const Json onDisk = Json::parse(session_->root().read(kPrefFilePath), nullptr, false);
    const Json& allowlist = prefArray(onDisk, kAllowlistKey);
    QCOMPARE(static_cast<int>(allowlist.size()), allowEntries);
    if (allowEntries > 0) {
      const Json entry = Json::array({"13800138000", blacklistExpression("13800138000"), ""});
      QVERIFY2(allowlist[0] == entry, allowlist.dump().c_str());
    }
    QCOMPARE(opened, historyOpened);
  }

  void withoutServiceNothingIsShownAndOneLineLogged_data() {
    QTest::addColumn<bool>("bus");
    QTest::newRow("no service on the bus") << true;
    QTest::newRow("no session bus") << false;
  }
  void withoutServiceNothingIsShownAndOneLineLogged() {
    QFETCH(bool, bus);
    const QString name = QStringLiteral("no-bus");
    {
      gui_qt::DesktopNotifications sink(
          bus ? bus_->connection()
              : QDBusConnection::connectToBus(
                    toQString("unix:path=" + session_->root().path() + "/none"), name));
      for (int i = 0; i < 3; ++i) {
        QVERIFY(!sink.show(0, "title", "body", {}).has_value());
      }
      // The notifier carries on as before.
      gui::BlockNotifier notifier({.sink = &sink, .startedAt = kStart});
      notifier.historyLoaded({kSecond, kFirst, kOld});
    }
    QDBusConnection::disconnectFromBus(name);
    QCOMPARE(logLinesGivingUp(session_->root()), size_t{1});
  }

  void theWindowNotifiesReloadsAndOpensTheHistory() {
    QVERIFY2(bus_->startService(), bus_->serviceErrors().c_str());
    auto root = std::make_shared<gui::RootVC>();
    gui_qt::BlockedCallNotifications notifications(session_->window(), root, kStart,
                                                   bus_->connection());
    *root->history() = {kFirst, kOld};
    gui::NotificationCenter::defaultCenter().postNotificationName(kMPHistoryAddedNotification);
    const std::vector<MockCall> notify = bus_->notifyCalls();
    QCOMPARE(notify.size(), size_t{1});
    QCOMPARE(notify[0].args[3].toString(), QStringLiteral("已拦截来电：13800138000"));

    QSignalSpy invoked(&notifications.sink(), &gui_qt::DesktopNotifications::actionInvoked);
    for (int time = 1; time <= 2; ++time) {
      QVERIFY(bus_->emitAction(1, QStringLiteral("open-history")));
      QVERIFY(invoked.wait(5000));
      // Once on top, the viewer is not opened again.
      QCOMPARE(session_->window().depth(), size_t{1});
      QCOMPARE(session_->window().topScreen()->screen()->sceneIdentifier(),
               std::string(gui::HistoryVC::kSceneIdentifier));
    }
  }

  void aServiceThatComesLaterIsUsed() {
    gui_qt::DesktopNotifications sink(bus_->connection());
    QVERIFY(!sink.show(0, "title", "body", {}).has_value());
    QVERIFY2(bus_->startService(), bus_->serviceErrors().c_str());
    QVERIFY(qt_testing::waitUntil([&] { return sink.show(0, "later", "body", {}).has_value(); }));
    const std::vector<MockCall> notify = bus_->notifyCalls();
    QVERIFY(!notify.empty());
    QCOMPARE(notify.back().args[3].toString(), QStringLiteral("later"));
  }

 private:
  std::unique_ptr<qt_testing::GuiSession> session_;
  std::unique_ptr<NotificationBus> bus_;
};

}  // namespace

HUSHGATE_QT_TEST_MAIN(DesktopNotificationsTest)
#include "desktop_notifications_test.moc"
