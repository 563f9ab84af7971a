#include "statics/Log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bundle.h"
#include "support/temp_root.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLogFile = "/var/mobile/hushgate.log";
constexpr const char* kPhoneLogFile =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/hushgate-log.txt";

double now() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() / 1000.0;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// True when text begins with a stamp shaped "yyyy-MM-dd HH:mm:ss.SSS".
bool startsWithTimestamp(std::string_view text) {
  constexpr std::string_view shape = "0000-00-00 00:00:00.000";
  if (text.size() < shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '0' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { savedIdentifier_ = platform::mainBundleIdentifier(); }
  void TearDown() override { platform::setMainBundleIdentifier(savedIdentifier_); }

  testing_support::TempDeviceRoot root_;
  std::string savedIdentifier_;
};

TEST_F(LogTest, TimestampIsShanghaiWallClockWithMilliseconds) {
  // Another zone on the machine must not change the stamp.
  setenv("TZ", "America/New_York", 1);
  tzset();
  const struct {
    double seconds;
    const char* expected;
  } cases[] = {
      {0, "1970-01-01 08:00:00.000"},
      {1700000000.123, "2023-11-15 06:13:20.123"},
      {1700000000.9996, "2023-11-15 06:13:21.000"},  // rounded to the millisecond
      {-1.5, "1970-01-01 07:59:58.500"},
      {583718400, "1988-07-01 09:00:00.000"},  // the zone kept summer time in 1988
  };
  for (const auto& c : cases) EXPECT_EQ(logTimestamp(c.seconds), c.expected) << c.seconds;
  EXPECT_EQ(logTimestamp(std::nan("")), "");
  EXPECT_EQ(logTimestamp(1e300), "");
  unsetenv("TZ");
  tzset();
}

TEST_F(LogTest, AppendsOneFormattedLineToAnExistingFile) {
  root_.write(kLogFile, "earlier line\n");
  setenv("TZ", "America/New_York", 1);
  tzset();
  const double before = now();
  Log("== hello %@ %d", "世界", 7);
  Log("== second");
  const double after = now();
  unsetenv("TZ");
  tzset();

  const std::vector<std::string> lines = linesOf(root_.read(kLogFile));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier line");
  ASSERT_TRUE(startsWithTimestamp(lines[1])) << lines[1];
  EXPECT_EQ(lines[1].substr(23), " == hello 世界 7");
  // Fixed-width stamps order like the times they stand for.
  const std::string stamp = lines[1].substr(0, 23);
  EXPECT_GE(stamp, logTimestamp(before));
  EXPECT_LE(stamp, logTimestamp(after));
  ASSERT_TRUE(startsWithTimestamp(lines[2])) << lines[2];
  EXPECT_EQ(lines[2].substr(23), " == second");
  EXPECT_EQ(root_.read(kLogFile).back(), '\n');
}

TEST_F(LogTest, WritesNothingWhenTheFileIsMissing) {
  fs::create_directories(root_.at("/var/mobile"));
  Log("== dropped %@", "line");
  EXPECT_FALSE(root_.exists(kLogFile));

  // Nor in the Phone application, whose Documents folder exists.
  fs::create_directories(root_.at(kPhoneLogFile).substr(0, root_.at(kPhoneLogFile).rfind('/')));
  platform::setMainBundleIdentifier("com.apple.mobilephone",
                                    platform::HomeDirectory::kDataContainer);
  Log("== dropped too");
  EXPECT_FALSE(root_.exists(kPhoneLogFile));
  platform::setMainBundleIdentifier(savedIdentifier_);

  // A FIFO without a reader must not block the caller.
  ASSERT_EQ(::mkfifo(root_.at(kLogFile).c_str(), 0600), 0);
  Log("== into a fifo");
  SUCCEED();
}

TEST_F(LogTest, PhoneApplicationWritesIntoItsOwnDocuments) {
  root_.write(kLogFile, "");
  root_.write(kPhoneLogFile, "");
  platform::setMainBundleIdentifier("com.apple.mobilephone",
                                    platform::HomeDirectory::kDataContainer);
  EXPECT_EQ(logFilePath(), root_.at(kPhoneLogFile));
  Log("== from the phone");
  EXPECT_EQ(root_.read(kLogFile), "");
  EXPECT_NE(root_.read(kPhoneLogFile).find(" == from the phone\n"), std::string::npos);

  platform::setMainBundleIdentifier("com.apple.springboard");
  EXPECT_EQ(logFilePath(), root_.at(kLogFile));
  Log("== from the home screen");
  EXPECT_NE(root_.read(kLogFile).find(" == from the home screen\n"), std::string::npos);
}

TEST_F(LogTest, ConcurrentCallersWriteWholeLines) {
  root_.write(kLogFile, "");
  constexpr int kThreads = 4;
  constexpr int kLines = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) Log("== thread %d line %d", t, i);
    });
  }
  for (auto& thread : threads) thread.join();

  const std::vector<std::string> lines = linesOf(root_.read(kLogFile));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  std::vector<int> perThread(kThreads, 0);
  for (const std::string& line : lines) {
    ASSERT_TRUE(startsWithTimestamp(line)) << line;
    int thread = -1;
    int index = -1;
    ASSERT_EQ(std::sscanf(line.c_str() + 23, " == thread %d line %d", &thread, &index), 2) << line;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    EXPECT_EQ(index, perThread[thread]++) << line;  // each thread's lines in order
  }
}

// Logging off costs no system call: a missing file is looked for again only
// after the recheck interval; then a file created meanwhile is written to.
// Another path (device root or process) is looked for at once, and a deleted
// file stops the lines at once.
TEST_F(LogTest, MissingFileIsLookedForAgainAfterTheInterval) {
  fs::create_directories(root_.at("/var/mobile"));
  const auto missed = std::chrono::steady_clock::now();
  Log("== before the file");
  root_.write(kLogFile, "");
  Log("== too early");
  if (std::chrono::steady_clock::now() - missed < kLogRecheckInterval) {
    EXPECT_FALSE(logMayBeOn());
    EXPECT_EQ(root_.read(kLogFile), "");
  }
  // The interval is the behaviour under test: log until a line lands.
  const auto deadline = missed + 20 * kLogRecheckInterval;
  while (root_.read(kLogFile).empty() && std::chrono::steady_clock::now() < deadline) {
    Log("== later");
    std::this_thread::sleep_for(kLogRecheckInterval / 10);
  }
  EXPECT_NE(root_.read(kLogFile).find(" == later\n"), std::string::npos);
  EXPECT_GE(std::chrono::steady_clock::now() - missed, kLogRecheckInterval);
  EXPECT_TRUE(logMayBeOn());

  fs::remove(root_.at(kLogFile));
  Log("== after deleting");
  root_.write(kLogFile, "");
  EXPECT_FALSE(logMayBeOn());
  Log("== dropped");
  EXPECT_EQ(root_.read(kLogFile), "");
}

TEST_F(LogTest, AnotherLogFileIsLookedForAtOnce) {
  std::optional<testing_support::TempDeviceRoot> other;
  const struct {
    const char* name;
    // Switches to another log file, created first; gives its path.
    std::function<std::string()> switchTo;
  } cases[] = {
      {"another process",
       [this] {
         root_.write(kPhoneLogFile, "");
         platform::setMainBundleIdentifier("com.apple.mobilephone",
                                           platform::HomeDirectory::kDataContainer);
         return root_.at(kPhoneLogFile);
       }},
      {"another device root",
       [&other] {
         other.emplace();
         other->write(kLogFile, "");
         return other->at(kLogFile);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::create_directories(root_.at("/var/mobile"));
    Log("== missed");
    EXPECT_FALSE(logMayBeOn());
    const std::string file = c.switchTo();
    Log("== at once");
    EXPECT_EQ(logFilePath(), file);
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(" == at once\n"), std::string::npos);
    platform::setMainBundleIdentifier(savedIdentifier_);
    other.reset();
  }
}

}  // namespace
