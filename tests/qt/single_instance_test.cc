// One settings program per user and device: a later start hands its URL to
// the running one and ends; a socket left by a dead instance is replaced;
// oversized or unfinished messages are not delivered.
#include "hushgate-gui/qt/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <future>

#include "statics/file_lock.h"

#include "support/qt_gui_test.h"

namespace {

// Sends as a later start would, from another thread, so that this thread's
// event loop serves the instance meanwhile.
std::future<bool> sendFromElsewhere(const QString& message) {
  return std::async(std::launch::async,
                    [message] { return gui_qt::sendToRunningInstance(message); });
}

bool sent(std::future<bool>& sending) {
  if (!qt_testing::waitUntil(
          [&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; })) {
    return false;
  }
  return sending.get();
}

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing_support::TempDeviceRoot> root_;

 private slots:
  void init() { root_ = std::make_unique<testing_support::TempDeviceRoot>(); }
  void cleanup() { root_.reset(); }

  void aLaterStartHandsItsUrlOverAndEnds() {
    gui_qt::InstanceServer server;
    QVERIFY(server.listen());
    QSignalSpy received(&server, &gui_qt::InstanceServer::messageReceived);

    const QString url = QStringLiteral("hushgate://add_to_blacklist/?number=95%E5%8F%B7&label=a b");
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");  // a second window could not open
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    second.setProcessEnvironment(environment);
    second.start(HUSHGATE_GUI_PROGRAM, {url});
    QVERIFY(second.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 10000);
    QCOMPARE(received.at(0).at(0).toString(), url);
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    // It handed the URL over and did nothing with it itself.
    QVERIFY(!QFile::exists(
        QString::fromStdString(root_->at("/var/mobile/hushgate/hushgate-pref.json"))));
  }

  void onlyOneInstanceListensPerDevice() {
    gui_qt::InstanceServer first;
    QVERIFY(first.listen());
    gui_qt::InstanceServer second;
    QVERIFY(!second.listen());
    QSignalSpy received(&first, &gui_qt::InstanceServer::messageReceived);
    auto sending = sendFromElsewhere(QString());
    QVERIFY(sent(sending));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QString());

    // Another device root has its own instance.
    const QString name = gui_qt::instanceServerName();
    testing_support::TempDeviceRoot other;
    QVERIFY(gui_qt::instanceServerName() != name);
    gui_qt::InstanceServer third;
    QVERIFY(third.listen());
  }

  void aSocketLeftByADeadInstanceIsReplaced() {
    QVERIFY(!gui_qt::sendToRunningInstance("x", 500));  // nobody listens yet
    // A socket file nobody listens on, as a crashed instance leaves it.
    const QString path = QDir::tempPath() + "/" + gui_qt::instanceServerName();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    QVERIFY(static_cast<size_t>(bytes.size()) < sizeof(address.sun_path));
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(path));

    gui_qt::InstanceServer server;
    QVERIFY(server.listen());
    QSignalSpy received(&server, &gui_qt::InstanceServer::messageReceived);
    auto sending = sendFromElsewhere("hushgate://x");
    QVERIFY(sent(sending));
    QTRY_COMPARE(received.count(), 1);
  }

  void oversizedOrUnfinishedMessagesAreNotDelivered() {
    gui_qt::InstanceServer server;
    QVERIFY(server.listen());
    QSignalSpy received(&server, &gui_qt::InstanceServer::messageReceived);

    QLocalSocket huge;
    huge.connectToServer(gui_qt::instanceServerName());
    QVERIFY(huge.waitForConnected(3000));
    huge.write(QByteArray(70 * 1024, 'a'));
    QVERIFY(huge.waitForBytesWritten(3000));
    QTRY_VERIFY(huge.state() == QLocalSocket::UnconnectedState);

    QLocalSocket unfinished;
    unfinished.connectToServer(gui_qt::instanceServerName());
    QVERIFY(unfinished.waitForConnected(3000));
    unfinished.write("hushgate://no-newline");
    unfinished.flush();
    unfinished.disconnectFromServer();

    // A proper message afterwards is the only one delivered.
    auto sending = sendFromElsewhere("hushgate://after");
    QVERIFY(sent(sending));
    QTRY_COMPARE(received.count(), 1);
    // Once the instance has closed every connection (its sockets are its
    // children until then), none of them can deliver anything more.
    QTRY_VERIFY(server.findChildren<QLocalSocket*>().isEmpty());
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("hushgate://after"));
  }

  void everySpellingOfADeviceIsOneInstance() {
    const std::filesystem::path root = root_->path();
    const QString name = gui_qt::instanceServerName();
    const std::filesystem::path link = root.parent_path() / (root.filename().string() + "-link");
    std::filesystem::create_symlink(root, link);
    const QString previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(root.parent_path().string())));
    const std::string spellings[] = {
        root.filename().string(),               // relative
        "./" + root.filename().string() + "/",  // dotted, trailing slash
        link.string(),                          // through a link
        (root / "var" / "..").string(),         // with ".."
        link.filename().string() + "/var/../",  // all at once
    };
    for (const std::string& spelling : spellings) {
      qputenv("HUSHGATE_ROOT", QByteArray::fromStdString(spelling));
      QVERIFY2(gui_qt::instanceServerName() == name, spelling.c_str());
    }
    qputenv("HUSHGATE_ROOT", QByteArray::fromStdString(root.string()));
    QDir::setCurrent(previousDirectory);
    std::filesystem::remove(link);
  }

  void aStartingInstanceKeepsTheDeviceFromASecond() {
    // An instance that holds the device but does not listen yet (it is
    // still starting): a second start must not make a socket of its own.
    const std::string socketPath =
        QFile::encodeName(QDir::tempPath() + "/" + gui_qt::instanceServerName()).toStdString();
    {
      Result<FileLock> starting = FileLock::acquire(socketPath);
      QVERIFY(starting.ok());
      gui_qt::InstanceServer second;
      QVERIFY(!second.listen());
      QVERIFY(second.anotherInstanceRuns());
      QVERIFY(!QFile::exists(QString::fromStdString(socketPath)));
    }
    gui_qt::InstanceServer afterIt;
    QVERIFY(afterIt.listen());
  }

  void aKilledWindowIsTakenOverByTheNextStart() {
    QProcess window;
    window.start(HUSHGATE_GUI_PROGRAM, {});
    QVERIFY(window.waitForStarted());
    QVERIFY(
        qt_testing::waitUntil([] { return gui_qt::sendToRunningInstance(QString(), 500); }, 30000));
    ::kill(static_cast<pid_t>(window.processId()), SIGKILL);
    QVERIFY(window.waitForFinished());
    // Its socket file is left behind; the next start takes the device.
    gui_qt::InstanceServer next;
    QVERIFY(next.listen());
    QSignalSpy received(&next, &gui_qt::InstanceServer::messageReceived);
    auto sending = sendFromElsewhere("hushgate://after-the-kill");
    QVERIFY(sent(sending));
    QTRY_COMPARE(received.count(), 1);
  }
};

}  // namespace

HUSHGATE_QT_TEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
