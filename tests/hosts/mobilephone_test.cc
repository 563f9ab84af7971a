// The mobilephone host as a program: alone, and with the probe library
// injected.
#include <signal.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "host_test_support.h"
#include "platform/notify.h"

namespace hosts_testing {
namespace {

using Lines = std::vector<std::string>;

// Row 0: not answered, blocked by the history ("u-0").
// Row 1: not answered, one of its occurrences blocked ("occ-1b").
// Row 2: not answered, not blocked.
// Row 3: answered (status 1), its id is in the history: never marked.
constexpr char kRecents[] = R"([
  {"callStatus": 8, "uniqueId": "u-0", "callerId": "17012345678", "callerLabel": "Ads"},
  {"callStatus": 8, "uniqueId": "u-1", "callerLabel": "two",
   "callOccurrences": [{"kCHCallOccurrenceUniqueIdKey": "occ-1a"},
                       {"kCHCallOccurrenceUniqueIdKey": "occ-1b"}]},
  {"callStatus": 8, "uniqueId": "u-2", "callerId": "+8613800138000", "callerLabel": "Mom"},
  {"callStatus": 1, "uniqueId": "u-3", "callerId": null, "extra": [1, 2]}
])";

constexpr char kUnmarkedRow[] = R"(,"marked":false,"actions":["Delete"]})";

class MobilePhoneTest : public HostTest {
 protected:
  MobilePhoneTest() { root_.write("/recents.json", kRecents); }

  std::string recents() const { return root_.at("/recents.json"); }

  void writeHistory(const std::vector<std::string>& uniqueIds) const {
    std::string text;
    for (const std::string& id : uniqueIds) {
      text += R"({"u":")" + id + R"(","p":"","d":1,"r":4,"rd":""})" + "\n";
    }
    root_.write(kHistoryFile, text);
  }
};

TEST_F(MobilePhoneTest, AloneRowsAreUnmarkedWithTheDefaultAction) {
  writeHistory({"u-0", "occ-1b"});
  const HostRun run = runHost(kMobilePhoneBin, {recents()});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines, (Lines{std::string(R"({"row":0)") + kUnmarkedRow,
                              std::string(R"({"row":1)") + kUnmarkedRow,
                              std::string(R"({"row":2)") + kUnmarkedRow,
                              std::string(R"({"row":3)") + kUnmarkedRow}));
}

TEST_F(MobilePhoneTest, AloneDeleteRemovesTheRowThroughTheController) {
  const HostRun run = runHost(kMobilePhoneBin, {"--delete", "3", recents()});
  EXPECT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(run.lines.size(), 7u);
  EXPECT_EQ(run.lines[6], std::string(R"({"row":2)") + kUnmarkedRow);
}

TEST_F(MobilePhoneTest, AloneThereIsNoAddToBlacklistAction) {
  const HostRun run = runHost(kMobilePhoneBin, {"--add-to-blacklist", "2", "x", recents()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("row 2 offers no \"🚫\" action"), std::string::npos) << run.errors;
}

TEST_F(MobilePhoneTest, BadArgumentsAreRefused) {
  const std::string file = recents();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {file, file},
      {"--bogus", file},
      {"--screen-scale", "0", file},
      {"--screen-scale", "two", file},
      {"--screen-scale", "nan", file},
      {"--delete", "-1", file},
      {"--delete", "1x", file},
      {"--add-to-blacklist", "0", file},
      {"--delete", "0", "--add-to-blacklist", "1", "x", file},
  };
  for (const auto& args : cases) {
    const HostRun run = runHost(kMobilePhoneBin, args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_NE(run.errors.find("usage:"), std::string::npos);
  }
}

TEST_F(MobilePhoneTest, BadRecentsFilesAreReported) {
  const struct {
    const char* contents;
    const char* message;
    size_t rows;
  } cases[] = {
      {"", "not JSON", 0},
      {"{\"callStatus\": 8}", "not a JSON array", 0},
      {"[1, {\"callStatus\": \"8\"}, {}]", "entry 0: not an object", 1},
      {"[{\"callOccurrences\": [{\"kCHCallOccurrenceUniqueIdKey\": 3}]}, {}]",
       "entry 0: occurrence member", 1},
      {"[{\"callerId\": 13800138000}]", "\"callerId\" must be a string or null", 0},
  };
  for (const auto& c : cases) {
    root_.write("/bad.json", c.contents);
    const HostRun run = runHost(kMobilePhoneBin, {root_.at("/bad.json")});
    EXPECT_EQ(run.status, 1) << c.contents;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.contents << "\n" << run.errors;
    EXPECT_EQ(run.lines.size(), c.rows) << c.contents;
  }
  const HostRun missing = runHost(kMobilePhoneBin, {root_.at("/missing.json")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.errors.find("cannot open"), std::string::npos);
}

TEST_F(MobilePhoneTest, InjectedHooksMarkRowsAndAddActions) {
  injectProbe();
  writeHistory({"u-0", "occ-1b", "u-3"});
  const HostRun run = runHost(kMobilePhoneBin, {recents()});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines, (Lines{R"({"row":0,"marked":true,"actions":["🗑"]})",
                              R"({"row":1,"marked":false,"actions":["🚫","🗑"]})",
                              R"({"row":2,"marked":false,"actions":["🚫","🗑"]})",
                              R"({"row":3,"marked":false,"actions":["🚫","🗑"]})"}));
}

TEST_F(MobilePhoneTest, AddToBlacklistTypesTheLabelAndOpensTheUrl) {
  injectProbe();
  // The device's handler for the scheme records the URL it is given.
  root_.write("/Library/URLHandlers/hushgate",
              "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + root_.at("/opened") + ".tmp'\n/bin/mv '" +
                  root_.at("/opened") + ".tmp' '" + root_.at("/opened") + "'\n");
  chmod(root_.at("/Library/URLHandlers/hushgate").c_str(), 0755);

  const HostRun run = runHost(kMobilePhoneBin, {"--add-to-blacklist", "2", "my label", recents()});
  EXPECT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(run.lines.size(), 5u);
  const std::string url = "hushgate://probe/?number=+8613800138000&label=my label";
  EXPECT_EQ(run.lines[4], R"({"url":")" + url + R"("})");
  for (auto waited = 0ms; waited < kPatience && !root_.exists("/opened"); waited += 10ms) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(root_.read("/opened"), url + "\n");
}

TEST_F(MobilePhoneTest, InjectedDeleteActionRemovesTheRow) {
  injectProbe();
  const HostRun run = runHost(kMobilePhoneBin, {"--delete", "0", recents()});
  EXPECT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(run.lines.size(), 7u);
  EXPECT_EQ(run.lines[4], R"({"row":0,"marked":false,"actions":["🚫","🗑"]})");
}

TEST_F(MobilePhoneTest, WatchRedrawsAfterTheInjectedLibraryReloaded) {
  injectProbe();
  writeHistory({});
  auto child = start(kMobilePhoneBin, {"--watch", recents()});
  ASSERT_NE(child, nullptr);
  for (int row = 0; row < 4; ++row) {
    EXPECT_NE(child->readLine(kPatience).value_or(""), "") << "first drawing, row " << row;
  }
  writeHistory({"u-2"});
  ASSERT_EQ(platform::notify_post("com.tevrin.hushgate.mp-block-history-added"),
            platform::NOTIFY_STATUS_OK);
  Lines redrawn;
  for (int row = 0; row < 4; ++row) redrawn.push_back(child->readLine(kPatience).value_or(""));
  EXPECT_EQ(redrawn[2], R"({"row":2,"marked":true,"actions":["🗑"]})");
  EXPECT_EQ(redrawn[0], R"({"row":0,"marked":false,"actions":["🚫","🗑"]})");

  child->signal(SIGTERM);
  EXPECT_EQ(child->exitStatus(kPatience), 0) << child->errors();
}

}  // namespace
}  // namespace hosts_testing
