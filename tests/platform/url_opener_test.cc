#include "platform/url_opener.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "env_var.h"
#include "platform/ui_application.h"
#include "support/temp_root.h"

namespace {

using namespace std::chrono_literals;
using platform_testing::ScopedEnv;

class UrlOpenerTest : public ::testing::Test {
 protected:
  // An executable shell script at a device path.
  void writeScript(const std::string& devicePath, const std::string& body) const {
    root_.write(devicePath, "#!/bin/sh\n" + body);
    chmod(root_.at(devicePath).c_str(), 0755);
  }

  // A handler that writes its argument count and arguments, one per line,
  // to the device file out (renamed into place when complete).
  std::string recordingScript(const std::string& out) const {
    const std::string file = root_.at(out);
    return "printf '%s\\n' \"$#\" \"$@\" > '" + file + ".tmp'\n/bin/mv '" + file + ".tmp' '" +
           file + "'\n";
  }

  // The contents of a device file once it exists; nullopt after a while.
  std::optional<std::string> waitForFile(const std::string& devicePath) const {
    for (auto waited = 0ms; waited < 10s; waited += 10ms) {
      if (root_.exists(devicePath)) return root_.read(devicePath);
      std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
  }

  testing_support::TempDeviceRoot root_;
  // No desktop tools unless a test provides them.
  ScopedEnv path_{"PATH", root_.at("/no-tools").c_str()};
};

TEST(UrlSchemeTest, FindsTheSchemeOfAUrl) {
  struct Case {
    const char* url;
    std::optional<std::string> scheme;
  };
  const Case cases[] = {
      {"hushgate://add_to_blacklist/?from=x", "hushgate"},
      {"HushGate:whatever", "hushgate"},
      {"a+b.c-d9:", "a+b.c-d9"},
      {"alipay://x", "alipay"},
      {"", std::nullopt},
      {"://x", std::nullopt},
      {"no colon", std::nullopt},
      {"1abc:x", std::nullopt},
      {"a/b:x", std::nullopt},
      {"a b:x", std::nullopt},
      {"../x:y", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::urlScheme(c.url), c.scheme) << c.url;
}

TEST_F(UrlOpenerTest, DeviceHandlerGetsTheUrlAsItsOneArgument) {
  writeScript("/Library/URLHandlers/hushgate", recordingScript("/out"));
  const std::string urls[] = {
      "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=%2B86138&label=a%20b",
      "hushgate://x/?label=two words & 'quotes' \"double\"; rm -rf /; $(id) `id` | cat > y",
      "HUSHGATE:*?[]{}~\\\n\ttabs and new lines",
  };
  for (const std::string& url : urls) {
    std::filesystem::remove(root_.at("/out"));
    EXPECT_TRUE(platform::canOpenURL(url)) << url;
    ASSERT_TRUE(platform::openURL(url)) << url;
    EXPECT_EQ(waitForFile("/out").value_or("(nothing)"), "1\n" + url + "\n");
  }
}

TEST_F(UrlOpenerTest, HandlerStartsWithAFreshSignalState) {
  writeScript("/Library/URLHandlers/probe",
              "/bin/grep -E '^Sig(Blk|Ign)' /proc/self/status > '" + root_.at("/out.tmp") +
                  "'\n/bin/mv '" + root_.at("/out.tmp") + "' '" + root_.at("/out") + "'\n");
  // A host may block the stop signals in every thread.
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  const bool started = platform::openURL("probe:x");
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ASSERT_TRUE(started);
  const std::string status = waitForFile("/out").value_or("");
  EXPECT_NE(status.find("SigBlk:\t0000000000000000"), std::string::npos) << status;
}

TEST_F(UrlOpenerTest, WithoutHandlerNothingHappens) {
  // Not executable: not a handler.
  root_.write("/Library/URLHandlers/hushgate", "#!/bin/sh\ntouch '" + root_.at("/out") + "'\n");
  EXPECT_FALSE(platform::canOpenURL("hushgate://x"));
  EXPECT_FALSE(platform::openURL("hushgate://x"));
  EXPECT_FALSE(platform::openURL("other://x"));
  EXPECT_FALSE(platform::openURL("not a url"));
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(root_.exists("/out"));
}

TEST_F(UrlOpenerTest, DesktopHandlerIsUsedWhenTheDeviceHasNone) {
  // Stand-ins for the desktop tools: a default handler only for "hushgate".
  writeScript("/tools/xdg-mime",
              "[ \"$1 $2 $3\" = 'query default x-scheme-handler/hushgate' ] && "
              "echo hushgate-gui.desktop\nexit 0\n");
  writeScript("/tools/xdg-open", recordingScript("/out"));
  ScopedEnv path("PATH", (root_.at("/empty") + ":" + root_.at("/tools")).c_str());

  EXPECT_TRUE(platform::canOpenURL("hushgate://add_to_blacklist/?label=a;b"));
  ASSERT_TRUE(platform::openURL("hushgate://add_to_blacklist/?label=a;b"));
  EXPECT_EQ(waitForFile("/out").value_or("(nothing)"),
            "1\nhushgate://add_to_blacklist/?label=a;b\n");

  EXPECT_FALSE(platform::canOpenURL("alipay://x"));
  EXPECT_FALSE(platform::openURL("alipay://x"));
}

TEST_F(UrlOpenerTest, ApplicationsOpenThroughTheirLaunchers) {
  writeScript("/Library/Launchers/com.apple.mobilephone", recordingScript("/out"));
  EXPECT_TRUE(platform::openApplicationWithBundleID("com.apple.mobilephone"));
  EXPECT_EQ(waitForFile("/out").value_or("(nothing)"), "0\n");

  for (const char* bad : {"", ".", "..", "../Launchers/com.apple.mobilephone",
                          "com.apple/mobilephone", "com.apple.preferences"}) {
    EXPECT_FALSE(platform::openApplicationWithBundleID(bad)) << bad;
  }
}

TEST_F(UrlOpenerTest, ApplicationOpensUrlsThroughTheOpenerInForce) {
  writeScript("/Library/URLHandlers/hushgate", recordingScript("/out"));
  platform::UIApplication& application = platform::UIApplication::sharedApplication();
  std::string seen;
  application.setURLOpener([&seen](const std::string& url) {
    seen = url;
    return false;
  });
  EXPECT_FALSE(application.openURL("hushgate://first"));
  EXPECT_EQ(seen, "hushgate://first");

  application.setURLOpener(nullptr);
  EXPECT_TRUE(application.canOpenURL("hushgate://second"));
  EXPECT_TRUE(application.openURL("hushgate://second"));
  EXPECT_EQ(waitForFile("/out").value_or("(nothing)"), "1\nhushgate://second\n");
  EXPECT_EQ(seen, "hushgate://first");
}

}  // namespace
