// hushgate-gui --handle-url says what became of the number: added (status
// 0) only when it is in the saved document and the screening was told; a
// save that failed is a failure (status 1) that announces nothing; a save the
// screening may not have heard of says so (status 3); an unreadable document
// is kept aside and its place named.
#include <QProcess>
#include <QTest>
#include <filesystem>

#include "statics/Preference.h"
#include "statics/json_document.h"
#include "support/notification_marker.h"
#include "support/qt_gui_test.h"

namespace {

namespace fs = std::filesystem;

constexpr char kMainFile[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kUrl[] = "hushgate://add_to_blacklist/?number=999&label=x";

struct Run {
  int status = -1;
  QString output;
  QString errors;
};

// Runs the program through the shell, after shellSetup (a ulimit).
Run handleUrl(const QString& shellSetup) {
  QProcess process;
  process.start("/bin/sh", {"-c", shellSetup + "; exec \"$0\" --handle-url \"$1\"",
                            HUSHGATE_GUI_PROGRAM, kUrl});
  Run run;
  if (!process.waitForFinished(30000)) return run;
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.output = QString::fromUtf8(process.readAllStandardOutput());
  run.errors = QString::fromUtf8(process.readAllStandardError());
  return run;
}

bool listsNumber(const std::string& bytes) {
  const std::optional<nlohmann::json> doc = parseJsonDocument(bytes);
  if (!doc) return false;
  for (const Json& entry : prefArray(*doc, kBlacklistKey)) {
    if (entry.is_array() && !entry.empty() && entry[0] == "999") return true;
  }
  return false;
}

class HandleUrlTest : public QObject {
  Q_OBJECT

 private slots:
  void theStatusSaysWhatBecameOfTheNumber() {
    struct Case {
      const char* name;
      void (*setUp)(const testing_support::TempDeviceRoot&);
      QString shell;
      int status;
      QString output;
      bool saved;
      int posts;
      QString errorsContain;
    };
    const auto nothing = [](const testing_support::TempDeviceRoot&) {};
    const Case cases[] = {
        {"a plain add", nothing, "true", 0, "added to the blacklist\n", true, 1, ""},
        {"a folder at the document's path",
         [](const testing_support::TempDeviceRoot& root) {
           fs::create_directories(root.at(kMainFile));
         },
         "true", 1, "not added to the blacklist\n", false, 0, "could not be saved"},
        {"a file-size limit", nothing, "ulimit -f 0", 1, "not added to the blacklist\n", false, 0,
         "could not be saved"},
        {"a file in place of the notification folder",
         [](const testing_support::TempDeviceRoot& root) { root.write("/run/notify", "x"); },
         "true", 3, "added to the blacklist\n", true, 0, "may not have the change"},
        {"an unreadable document",
         [](const testing_support::TempDeviceRoot& root) { root.write(kMainFile, "{\"bla"); },
         "true", 0, "added to the blacklist\n", true, 1, ".unreadable-"},
    };
    for (const Case& c : cases) {
      testing_support::TempDeviceRoot root;
      c.setUp(root);
      std::optional<testing_support::PostCounter> posts;
      if (fs::is_directory(root.at("/run/notify")) || !fs::exists(root.at("/run/notify"))) {
        posts.emplace(kPreferenceUpdatedNotification);
      }
      const Run run = handleUrl(c.shell);
      QVERIFY2(
          run.status == c.status,
          qPrintable(QString("%1: status %2, %3").arg(c.name).arg(run.status).arg(run.errors)));
      QVERIFY2(run.output == c.output, c.name);
      QVERIFY2(run.errors.contains(c.errorsContain), qPrintable(run.errors));
      QVERIFY2(listsNumber(root.read(kMainFile)) == c.saved, c.name);
      if (posts) QVERIFY2(posts->postsSoFar() == c.posts, c.name);
    }
  }
};

}  // namespace

HUSHGATE_QT_TEST_MAIN(HandleUrlTest)
#include "handle_url_test.moc"
