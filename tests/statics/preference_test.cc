#include "statics/Preference.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/bundle.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "support/notification_marker.h"
#include "support/temp_root.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kMainFile = "/var/mobile/hushgate/hushgate-pref.json";
constexpr const char* kFormerFile = "/var/mobile/hushgate-pref.json";
constexpr const char* kPhoneDocuments =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents";
constexpr const char* kPhoneFile =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/hushgate-pref.json";
constexpr const char* kLogFile = "/var/mobile/hushgate.log";

const char* const kDefaultText =
    R"({"bypass-contacts-enabled":true,"block-unknown-enabled":true,)"
    R"("ignored-prefixes":[["12583?","^12583\\d\\d+","中国移动和多号"]],)"
    R"("keywords":["响一声","广告","推销","骚扰","诈骗","保险","理财","房产中介"]})";

// Counts deliveries of one notification on the main queue of this process.
class NotificationObserver {
 public:
  explicit NotificationObserver(const char* name) {
    EXPECT_EQ(platform::notify_register_dispatch(name, &token_, platform::mainQueue(),
                                                 [this](int) { ++deliveries_; }),
              platform::NOTIFY_STATUS_OK);
  }
  ~NotificationObserver() { platform::notify_cancel(token_); }

  bool waitForDelivery() {
    return platform::runMainLoopUntil([this] { return deliveries_ > 0; }, 5s);
  }
  // Whether nothing posted so far was delivered: true once a marker posted
  // now has come and the count is still zero.
  bool quiet() {
    testing_support::NotificationMarker marker(platform::mainQueue());
    return marker.post() && platform::runMainLoopUntil([&] { return marker.seen(); }, 5s) &&
           deliveries_ == 0;
  }

 private:
  int token_ = 0;
  int deliveries_ = 0;
};

// A folder holding one document, and the lock file its writers take.
std::set<std::string> documentAndItsLock() {
  return {"hushgate-pref.json", "hushgate-pref.json.lock"};
}

std::set<std::string> folderEntries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class PreferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Preference::resetMigrationForTesting();
    savedVersion_ = platform::mainBundleShortVersion();
    savedIdentifier_ = platform::mainBundleIdentifier();
  }
  void TearDown() override {
    platform::setMainBundleShortVersion(savedVersion_);
    platform::setMainBundleIdentifier(savedIdentifier_);
  }

  Json fileJson(const char* devicePath) const { return Json::parse(root_.read(devicePath)); }

  testing_support::TempDeviceRoot root_;
  std::string savedVersion_;
  std::string savedIdentifier_;
};

TEST_F(PreferenceTest, DefaultDocumentsAreExact) {
  const Json main = Preference::defaultPref();
  EXPECT_EQ(main, Json::parse(kDefaultText));
  EXPECT_EQ(main.size(), 4u);
  EXPECT_FALSE(main.contains("enabled"));
  EXPECT_EQ(main["ignored-prefixes"][0][1].get<std::string>(), R"(^12583\d\d+)");
  EXPECT_EQ(Preference::defaultMPPref(), Json::parse(R"({"mp-injection-enabled":true})"));
}

TEST_F(PreferenceTest, PathsLieUnderTheDeviceRoot) {
  EXPECT_EQ(Preference::dataDirectoryPath(), root_.at("/var/mobile/hushgate"));
  EXPECT_EQ(Preference::prefFilePath(), root_.at(kMainFile));
  EXPECT_EQ(Preference::formerPrefFilePath(), root_.at(kFormerFile));
  EXPECT_EQ(Preference::mpPrefFilePath(), root_.at(kPhoneFile));
}

// load() falls back to the default for anything that is no JSON text and
// passes every parsed value on as it is; the readers cope with any shape.
TEST_F(PreferenceTest, LoadOfFilesFromOutside) {
  const Json defaults = Preference::defaultPref();
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const struct {
    const char* name;
    std::optional<std::string> content;
    Json expected;
  } cases[] = {
      {"missing", std::nullopt, defaults},
      {"empty", "", defaults},
      {"truncated", R"({"enabled": tr)", defaults},
      {"not JSON", "enabled=1", defaults},
      {"invalid UTF-8", "{\"enabled\":\"\xFF\"}", defaults},
      {"two documents", R"({"enabled":true}{})", defaults},
      {"bytes after a NUL", std::string("{\"enabled\":true}\0{\"garbage", 27), defaults},
      {"NUL inside a string", std::string("{\"enabled\":\"a\0\"}", 17), defaults},
      {"too deep", deep, defaults},
      {"object", R"({"enabled":false,"extra":1})", Json::parse(R"({"enabled":false,"extra":1})")},
      {"top-level array", "[1,2,3]", Json::parse("[1,2,3]")},
      {"null", "null", Json()},
      {"wrong types",
       R"({"enabled":"yes","block-unknown-enabled":1,"keywords":{"a":1},"blacklist":5})",
       Json::parse(
           R"({"enabled":"yes","block-unknown-enabled":1,"keywords":{"a":1},"blacklist":5})")},
  };
  for (const auto& c : cases) {
    std::error_code ignored;
    fs::remove(root_.at(kMainFile), ignored);
    if (c.content) root_.write(kMainFile, *c.content);
    const Json loaded = Preference::load();
    EXPECT_EQ(loaded, c.expected) << c.name;
    if (c.expected != defaults) {
      EXPECT_FALSE(prefBool(loaded, "enabled")) << c.name;
      EXPECT_FALSE(prefBool(loaded, "block-unknown-enabled")) << c.name;
      EXPECT_TRUE(prefArray(loaded, "keywords").empty()) << c.name;
      EXPECT_TRUE(prefArray(loaded, "blacklist").empty()) << c.name;
    }
  }
  EXPECT_TRUE(prefBool(Json::parse(R"({"enabled":true})"), "enabled"));
  EXPECT_EQ(prefArray(defaults, "keywords").size(), 8u);
  EXPECT_EQ(jsonString(Json("text")), "text");
  EXPECT_EQ(jsonString(Json(5)), "");
  EXPECT_EQ(jsonString(Json()), "");

  // A folder in place of the file reads as missing.
  fs::remove(root_.at(kMainFile));
  fs::create_directories(root_.at(kMainFile));
  EXPECT_EQ(Preference::load(), defaults);
}

TEST_F(PreferenceTest, LoadMPPrefFallsBackToItsDefault) {
  EXPECT_EQ(Preference::loadMPPref(), Preference::defaultMPPref());
  root_.write(kPhoneFile, "{");
  EXPECT_EQ(Preference::loadMPPref(), Preference::defaultMPPref());
  root_.write(kPhoneFile, R"({"mp-injection-enabled":false})");
  EXPECT_FALSE(prefBool(Preference::loadMPPref(), "mp-injection-enabled"));
}

TEST_F(PreferenceTest, MigrationMovesOnlyAFormerFileWithoutAMainOne) {
  const std::string former = R"({"enabled":true,"keywords":["former"]})";
  const std::string current = R"({"keywords":["main"]})";
  const struct {
    const char* name;
    std::optional<std::string> former, current;
    Json loaded;
    bool formerStays;
  } cases[] = {
      {"only former", former, std::nullopt, Json::parse(former), false},
      {"both", former, current, Json::parse(current), true},
      {"neither", std::nullopt, std::nullopt, Preference::defaultPref(), false},
  };
  for (const auto& c : cases) {
    testing_support::TempDeviceRoot root;
    Preference::resetMigrationForTesting();
    if (c.former) root.write(kFormerFile, *c.former);
    if (c.current) root.write(kMainFile, *c.current);
    EXPECT_EQ(Preference::load(), c.loaded) << c.name;
    EXPECT_EQ(root.exists(kFormerFile), c.formerStays) << c.name;
    if (c.former || c.current) {
      EXPECT_EQ(Json::parse(root.read(kMainFile)), c.loaded) << c.name;
    } else {
      EXPECT_FALSE(root.exists("/var/mobile")) << c.name;  // load creates nothing
    }
  }
}

TEST_F(PreferenceTest, MigrationActsOncePerProcess) {
  EXPECT_EQ(Preference::load(), Preference::defaultPref());
  root_.write(kFormerFile, R"({"enabled":true})");
  EXPECT_EQ(Preference::load(), Preference::defaultPref());
  EXPECT_TRUE(root_.exists(kFormerFile));

  Preference::resetMigrationForTesting();
  EXPECT_TRUE(prefBool(Preference::load(), "enabled"));
  EXPECT_FALSE(root_.exists(kFormerFile));
}

TEST_F(PreferenceTest, MigrationLeavesAFolderAtTheFormerPath) {
  fs::create_directories(root_.at(kFormerFile));
  EXPECT_EQ(Preference::load(), Preference::defaultPref());
  EXPECT_TRUE(fs::is_directory(root_.at(kFormerFile)));
  EXPECT_FALSE(root_.exists(kMainFile));
}

TEST_F(PreferenceTest, InstanceMakesTheDataFolderAndHoldsObjects) {
  auto fresh = Preference::makeForTesting();
  EXPECT_TRUE(fs::is_directory(root_.at("/var/mobile/hushgate")));
  EXPECT_EQ(fresh->pref(), Preference::defaultPref());
  EXPECT_EQ(fresh->mpPref(), Preference::defaultMPPref());

  // Documents that parse to something other than an object stand in as the
  // default, so callers can edit them in place.
  root_.write(kMainFile, "[1,2]");
  root_.write(kPhoneFile, "true");
  auto odd = Preference::makeForTesting();
  EXPECT_EQ(odd->pref(), Preference::defaultPref());
  EXPECT_EQ(odd->mpPref(), Preference::defaultMPPref());
  odd->pref()["enabled"] = true;
  odd->saveOnly();
  EXPECT_TRUE(prefBool(fileJson(kMainFile), "enabled"));
}

TEST_F(PreferenceTest, InvalidFileIsReplacedByTheNextSave) {
  root_.write(kMainFile, "{broken");
  auto preference = Preference::makeForTesting();
  EXPECT_EQ(preference->pref(), Preference::defaultPref());
  preference->saveOnly();
  Json expected = Preference::defaultPref();
  expected["version"] = platform::mainBundleShortVersion();
  EXPECT_EQ(fileJson(kMainFile), expected);
}

TEST_F(PreferenceTest, SaveStampsVersionWritesCompactUtf8AndPosts) {
  NotificationObserver observer(kPreferenceUpdatedNotification);
  root_.write(kMainFile, R"({"version":"0.1","enabled":false})");
  auto preference = Preference::makeForTesting();
  platform::setMainBundleShortVersion("9.8.7");
  preference->pref()["enabled"] = true;
  preference->pref()["blacklist"] = Json::array({Json::array({"95*", "^95\\d*$", "推销"})});
  preference->save();

  const std::string text = root_.read(kMainFile);
  EXPECT_EQ(text, R"({"blacklist":[["95*","^95\\d*$","推销"]],"enabled":true,"version":"9.8.7"})");
  EXPECT_EQ(preference->pref()["version"], "9.8.7");
  EXPECT_EQ(folderEntries(root_.at("/var/mobile/hushgate")), documentAndItsLock());
  EXPECT_TRUE(observer.waitForDelivery());
}

TEST_F(PreferenceTest, SaveOnlyAndSaveMPPrefPostNothing) {
  NotificationObserver observer(kPreferenceUpdatedNotification);
  auto preference = Preference::makeForTesting();
  preference->pref()["enabled"] = true;
  preference->saveOnly();
  preference->saveMPPref();
  EXPECT_TRUE(prefBool(fileJson(kMainFile), "enabled"));
  EXPECT_TRUE(root_.exists(kPhoneFile));
  EXPECT_TRUE(observer.quiet());

  preference->save();
  EXPECT_TRUE(observer.waitForDelivery());
}

TEST_F(PreferenceTest, SaveMPPrefCreatesTheDocumentsFolder) {
  auto preference = Preference::makeForTesting();
  ASSERT_FALSE(root_.exists(kPhoneDocuments));
  platform::setMainBundleShortVersion("2.0");
  preference->mpPref()["mp-injection-enabled"] = false;
  preference->saveMPPref();
  EXPECT_EQ(root_.read(kPhoneFile), R"({"mp-injection-enabled":false,"version":"2.0"})");
  EXPECT_EQ(Preference::loadMPPref(), preference->mpPref());
  EXPECT_EQ(folderEntries(root_.at(kPhoneDocuments)), documentAndItsLock());
}

TEST_F(PreferenceTest, DefaultIgnoredPrefixSurvivesSaveAndLoad) {
  auto preference = Preference::makeForTesting();
  preference->save();
  EXPECT_NE(root_.read(kMainFile).find(R"("^12583\\d\\d+")"), std::string::npos);
  const Json loaded = Preference::load();
  const Json& entry = prefArray(loaded, "ignored-prefixes").at(0);
  EXPECT_EQ(jsonString(entry[0]), "12583?");
  EXPECT_EQ(jsonString(entry[1]), R"(^12583\d\d+)");
  EXPECT_EQ(jsonString(entry[2]), "中国移动和多号");
  EXPECT_EQ(prefArray(loaded, "keywords"), Preference::defaultPref()["keywords"]);
}

// A failed write is logged, leaves what was on disk, and posts nothing.
TEST_F(PreferenceTest, FailedWritesAreLoggedAndLeaveTheOldState) {
  root_.write(kLogFile, "");
  auto preference = Preference::makeForTesting();
  fs::create_directories(root_.at(std::string(kMainFile) + "/keep"));
  fs::create_directories(root_.at(std::string(kPhoneFile) + "/keep"));
  NotificationObserver observer(kPreferenceUpdatedNotification);
  preference->save();
  preference->saveMPPref();

  const std::string log = root_.read(kLogFile);
  EXPECT_NE(log.find(" == pref json write to file failed: "), std::string::npos) << log;
  EXPECT_NE(log.find(" == mppref json write to file failed: "), std::string::npos) << log;
  EXPECT_TRUE(fs::is_directory(root_.at(std::string(kMainFile) + "/keep")));
  EXPECT_EQ(folderEntries(root_.at("/var/mobile/hushgate")), documentAndItsLock());
  EXPECT_EQ(folderEntries(root_.at(kPhoneDocuments)), documentAndItsLock());
  EXPECT_TRUE(observer.quiet());
}

// Text that is not UTF-8 cannot be serialised: logged, nothing written, nothing posted.
TEST_F(PreferenceTest, SerialisationFailureWritesAndPostsNothing) {
  root_.write(kLogFile, "");
  root_.write(kMainFile, R"({"enabled":true})");
  auto preference = Preference::makeForTesting();
  NotificationObserver observer(kPreferenceUpdatedNotification);
  preference->pref()["keywords"] = Json::array({"\xFF\xFE"});
  preference->mpPref()["bad"] = "\xC3";
  preference->save();
  preference->saveOnly();
  preference->saveMPPref();

  const std::string log = root_.read(kLogFile);
  EXPECT_NE(log.find(" == pref to json failed: "), std::string::npos) << log;
  EXPECT_NE(log.find(" == mppref to json failed: "), std::string::npos) << log;
  EXPECT_EQ(root_.read(kMainFile), R"({"enabled":true})");
  EXPECT_FALSE(root_.exists(kPhoneFile));
  EXPECT_TRUE(observer.quiet());
}

TEST_F(PreferenceTest, DocumentReplacedByAnotherValueIsWrittenAsItIs) {
  auto preference = Preference::makeForTesting();
  preference->pref() = Json::array({1, "a"});
  preference->saveOnly();
  EXPECT_EQ(root_.read(kMainFile), R"([1,"a"])");
  preference->mpPref() = nullptr;
  preference->saveMPPref();
  EXPECT_EQ(root_.read(kPhoneFile), "null");
  EXPECT_EQ(Preference::loadMPPref(), Json());
}

TEST_F(PreferenceTest, SharedInstanceIsOneObjectForAllThreads) {
  root_.write(kMainFile, R"({"enabled":true})");
  std::vector<Preference*> seen(4, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &Preference::sharedInstance(); });
  }
  for (auto& thread : threads) thread.join();
  for (Preference* instance : seen) EXPECT_EQ(instance, &Preference::sharedInstance());
  EXPECT_TRUE(prefBool(Preference::sharedInstance().pref(), "enabled"));
}

}  // namespace
