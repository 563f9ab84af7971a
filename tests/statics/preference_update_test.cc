// Preference::update: every change is a read-modify-write of the document on
// disk under its lock; a document that cannot be read is moved aside before
// anything is written at its path; a failed write is reported and announced
// to no one; an announcement that reaches no one is reported.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Preference.h"
#include "statics/json_document.h"
#include "support/notification_marker.h"
#include "support/temp_root.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kMainFile = "/var/mobile/hushgate/hushgate-pref.json";
constexpr const char* kLogFile = "/var/mobile/hushgate.log";

// A document of 1,000 blacklist entries, with comment i as given.
std::string thousandEntries(const std::string& comment999, const std::string& extraMember = "") {
  std::string text = R"({"enabled":true,"version":"1.0",)" + extraMember + R"("blacklist":[)";
  for (int i = 0; i < 1000; ++i) {
    const std::string number = std::to_string(1390000000 + i);
    text += (i ? "," : "") + ("[\"" + number + "\",\"^" + number + "$\",\"") +
            (i == 999 ? comment999 : "c" + std::to_string(i)) + "\"]";
  }
  return text + "]}";
}

std::string nested(int depth) {
  return std::string(static_cast<size_t>(depth), '[') +
         std::string(static_cast<size_t>(depth), ']');
}

void addNumber(Json& pref, const std::string& number) {
  if (!pref[kBlacklistKey].is_array()) pref[kBlacklistKey] = Json::array();
  pref[kBlacklistKey].push_back(Json::array({number, "^" + number + "$", ""}));
}

bool listsNumber(const Json& pref, const std::string& number) {
  for (const Json& entry : prefArray(pref, kBlacklistKey)) {
    if (entry.is_array() && !entry.empty() && entry[0] == number) return true;
  }
  return false;
}

// Whether no preference notification posted so far reached this process.
class QuietCheck {
 public:
  QuietCheck() {
    EXPECT_EQ(
        platform::notify_register_dispatch(kPreferenceUpdatedNotification, &token_,
                                           platform::mainQueue(), [this](int) { ++deliveries_; }),
        platform::NOTIFY_STATUS_OK);
  }
  ~QuietCheck() { platform::notify_cancel(token_); }
  bool quiet() {
    testing_support::NotificationMarker marker(platform::mainQueue());
    return marker.post() && platform::runMainLoopUntil([&] { return marker.seen(); }, 5s) &&
           deliveries_ == 0;
  }
  bool delivered() {
    return platform::runMainLoopUntil([this] { return deliveries_ > 0; }, 5s);
  }

 private:
  int token_ = 0;
  int deliveries_ = 0;
};

class PreferenceUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { Preference::resetMigrationForTesting(); }
  Json fileJson() const { return Json::parse(root_.read(kMainFile)); }

  testing_support::TempDeviceRoot root_;
};

// ---- Never replace what could not be read

TEST_F(PreferenceUpdateTest, UnreadableDocumentsAreMovedAsideBeforeAWrite) {
  const std::string gbk = thousandEntries("\xB9\xE3\xB8\xE6");  // "广告" in GBK
  const std::string whole = thousandEntries("ok");
  const std::string deepUnknown = thousandEntries("ok", "\"x-extra\":" + nested(600) + ",");
  struct Case {
    const char* name;
    std::string bytes;
    size_t entriesKept;  // of the 1,000, in the new document
  } cases[] = {
      {"comment in GBK", gbk, 0},
      {"last byte cut off", whole.substr(0, whole.size() - 1), 0},
      {"a top-level array", "[1,2,3]", 0},
      {"unknown member nested 600 deep", deepUnknown, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDeviceRoot root;
    root.write(kLogFile, "");
    root.write(kMainFile, c.bytes);
    Preference::resetMigrationForTesting();
    auto preference = Preference::makeForTesting();
    const Result<Preference::Update> done =
        preference->update([](Json& pref) { addNumber(pref, "999"); });
    ASSERT_TRUE(done) << done.error();
    EXPECT_TRUE(done->written);
    // Kept byte for byte beside the document, under the contract's name.
    ASSERT_FALSE(done->setAsidePath.empty());
    EXPECT_EQ(fs::path(done->setAsidePath).parent_path(),
              fs::path(root.at(kMainFile)).parent_path());
    EXPECT_EQ(done->setAsidePath.rfind(root.at(kMainFile) + ".unreadable-", 0), 0u);
    std::ifstream kept(done->setAsidePath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), c.bytes);
    EXPECT_NE(root.read(kLogFile).find(done->setAsidePath), std::string::npos);
    // The new document holds the change, and what could be read.
    const Json written = Json::parse(root.read(kMainFile));
    EXPECT_TRUE(listsNumber(written, "999"));
    EXPECT_EQ(prefArray(written, kBlacklistKey).size(), c.entriesKept + 1);
    EXPECT_FALSE(written.contains("x-extra"));
  }
}

TEST_F(PreferenceUpdateTest, ReadersKeepTheDefaultOrWhatTheyKnow) {
  struct Case {
    const char* name;
    std::string bytes;
    bool knownMembersRead;
  } cases[] = {
      {"comment in GBK", thousandEntries("\xB9\xE3\xB8\xE6"), false},
      {"unknown member nested 600 deep", thousandEntries("ok", "\"x\":" + nested(600) + ","), true},
      {"known member nested 600 deep", R"({"keywords":)" + nested(600) + "}", false},
      {"nested 600 deep at the top", nested(600), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    root_.write(kMainFile, c.bytes);
    const Json loaded = Preference::load();
    if (c.knownMembersRead) {
      EXPECT_EQ(prefArray(loaded, kBlacklistKey).size(), 1000u);
      EXPECT_TRUE(prefBool(loaded, kEnabledKey));
      EXPECT_FALSE(loaded.contains("x"));
    } else {
      EXPECT_EQ(loaded, Preference::defaultPref());
    }
    EXPECT_EQ(root_.read(kMainFile), c.bytes);  // reading moves nothing
  }
}

TEST_F(PreferenceUpdateTest, AChangeThatChangesNothingWritesNothing) {
  root_.write(kMainFile, "{broken");
  QuietCheck check;
  auto preference = Preference::makeForTesting();
  const Result<Preference::Update> done = preference->update([](Json&) {});
  ASSERT_TRUE(done);
  EXPECT_FALSE(done->written);
  EXPECT_TRUE(done->setAsidePath.empty());
  EXPECT_EQ(root_.read(kMainFile), "{broken");
  EXPECT_TRUE(check.quiet());
}

// ---- Read-modify-write

TEST_F(PreferenceUpdateTest, EveryWritersChangeIsKept) {
  // Two instances, as the window and the URL handler hold them, both made
  // before either writes.
  auto window = Preference::makeForTesting();
  auto handler = Preference::makeForTesting();
  ASSERT_TRUE(handler->update([](Json& pref) { addNumber(pref, "999"); }));
  ASSERT_TRUE(window->update([](Json& pref) { addNumber(pref, "888"); }));
  ASSERT_TRUE(window->update([](Json& pref) { pref[kEnabledKey] = true; }));
  const Json onDisk = fileJson();
  EXPECT_TRUE(listsNumber(onDisk, "999"));
  EXPECT_TRUE(listsNumber(onDisk, "888"));
  EXPECT_TRUE(prefBool(onDisk, kEnabledKey));
  EXPECT_EQ(window->pref(), onDisk);

  // The other instance sees it all after a reload, and only then.
  EXPECT_FALSE(listsNumber(handler->pref(), "888"));
  EXPECT_TRUE(handler->reload());
  EXPECT_EQ(handler->pref(), onDisk);
  EXPECT_FALSE(handler->reload());
}

// ---- A failed write is a failure, announced to no one

TEST_F(PreferenceUpdateTest, FailedWritesFailAndAnnounceNothing) {
  struct Case {
    const char* name;
    void (*breakIt)(const testing_support::TempDeviceRoot&);
  } cases[] = {
      {"a folder at the path",
       [](const testing_support::TempDeviceRoot& root) {
         fs::create_directories(root.at(kMainFile));
       }},
      {"a file-size limit",
       [](const testing_support::TempDeviceRoot&) {
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit limit{};
         getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = 16;
         setrlimit(RLIMIT_FSIZE, &limit);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDeviceRoot root;
    root.write(kLogFile, "");
    Preference::resetMigrationForTesting();
    auto preference = Preference::makeForTesting();
    QuietCheck check;
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    c.breakIt(root);
    const Result<Preference::Update> done =
        preference->update([](Json& pref) { addNumber(pref, "13912345678"); });
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(done);
    EXPECT_FALSE(listsNumber(Preference::load(), "13912345678"));
    EXPECT_FALSE(listsNumber(preference->pref(), "13912345678"));
    EXPECT_TRUE(check.quiet());
  }
}

// ---- An announcement that reaches no one is reported

TEST_F(PreferenceUpdateTest, AnAnnouncementThatReachesNoOneIsReported) {
  struct Case {
    const char* name;
    void (*breakIt)(const testing_support::TempDeviceRoot&);
  } cases[] = {
      {"a file in place of the folder",
       [](const testing_support::TempDeviceRoot& root) {
         fs::remove_all(root.at("/run/notify"));
         root.write("/run/notify", "x");
       }},
      {"a folder at the notification's name",
       [](const testing_support::TempDeviceRoot& root) {
         fs::create_directories(root.at("/run/notify/com.tevrin.hushgate.preference-updated"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDeviceRoot root;
    Preference::resetMigrationForTesting();
    auto preference = Preference::makeForTesting();
    c.breakIt(root);
    const Result<Preference::Update> done =
        preference->update([](Json& pref) { pref[kEnabledKey] = true; });
    ASSERT_TRUE(done) << done.error();
    EXPECT_TRUE(done->written);
    EXPECT_FALSE(done->announced);
    EXPECT_TRUE(prefBool(Preference::load(), kEnabledKey));
  }
}

TEST_F(PreferenceUpdateTest, QuietUpdatesPostNothingAndOthersPost) {
  auto preference = Preference::makeForTesting();
  {
    QuietCheck check;
    ASSERT_TRUE(
        preference->update([](Json& pref) { addNumber(pref, "1"); }, Preference::Announce::kQuiet));
    EXPECT_TRUE(check.quiet());
  }
  QuietCheck check;
  const Result<Preference::Update> done =
      preference->update([](Json& pref) { addNumber(pref, "2"); });
  ASSERT_TRUE(done);
  EXPECT_TRUE(done->announced);
  EXPECT_TRUE(check.delivered());
}

}  // namespace
