// Runs the hushgate-screen program as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "statics/MobileRegionDetector.h"
#include "support/shell_run.h"
#include "support/temp_root.h"

namespace {

using RunResult = testing_support::ShellRun;

// Runs a shell command line with the program path in $BIN; stderr is dropped.
RunResult run(const std::string& command) {
  return testing_support::runShell("BIN='" HUSHGATE_SCREEN_BIN "'; " + command + " 2>/dev/null");
}

class HushgateScreenTest : public ::testing::Test {
 protected:
  testing_support::TempDeviceRoot root_;
};

TEST_F(HushgateScreenTest, JudgesArgumentsWithTheDefaultDocument) {
  // No document on the device: the defaults (prefix 12583?, no blacklist).
  const RunResult result = run("\"$BIN\" 13800138000 ''");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "{\"number\":\"13800138000\",\"reason\":0,\"detail\":\"\"}\n"
            "{\"number\":\"\",\"reason\":1,\"detail\":\"\"}\n");
}

TEST_F(HushgateScreenTest, ReadsTheDeviceDocumentOrTheOneGiven) {
  root_.write("/var/mobile/hushgate/hushgate-pref.json",
              R"({"enabled":true,"blacklist":[["170*","^170\\d*$",""]]})");
  EXPECT_EQ(run("\"$BIN\" 17012345678").out,
            "{\"number\":\"17012345678\",\"reason\":4,\"detail\":\"\"}\n");

  root_.write("/tmp/other.json", R"({"blocked-cities-flattened":["010"]})");
  EXPECT_EQ(
      run("\"$BIN\" --pref '" + root_.at("/tmp/other.json") + "' 01012345678 17012345678").out,
      "{\"number\":\"01012345678\",\"reason\":2,\"detail\":\"\"}\n"
      "{\"number\":\"17012345678\",\"reason\":0,\"detail\":\"\"}\n");
}

// The explanation names the area code's place from the device's number
// database, and a caller blocked a minute ago gets through by the
// repeated-call allowance, as on the phone.
TEST_F(HushgateScreenTest, ExplainsWithThePlacesAndTheHistoryOfTheDevice) {
  const std::optional<std::string> database = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  ASSERT_TRUE(database.has_value());
  std::filesystem::create_directories(root_.at("/var/mobile/hushgate"));
  std::filesystem::copy_file(*database, root_.at("/var/mobile/hushgate/") +
                                            std::filesystem::path(*database).filename().string());
  root_.write("/var/mobile/hushgate/hushgate-pref.json",
              R"({"enabled":true,"blocked-cities-flattened":["0755"],)"
              R"("repeated-call-enabled":true,"repeated-call-minutes":3})");
  const long long minuteAgo = static_cast<long long>(std::time(nullptr)) - 60;
  root_.write(
      "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
      "hushgate-history.txt",
      R"({"u":"a","p":"075588886666","d":)" + std::to_string(minuteAgo) + R"(,"r":2,"rd":""})" +
          "\n");
  const RunResult result = run("\"$BIN\" --explain 075512345678 075588886666");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "{\"number\":\"075512345678\",\"reason\":2,\"detail\":\"\",\"judged\":"
            "\"075512345678\",\"rule\":{\"kind\":\"area-code\",\"value\":\"0755\",\"place\":"
            "\"深圳\",\"prefix\":\"\"}}\n"
            "{\"number\":\"075588886666\",\"reason\":0,\"detail\":\"\",\"judged\":"
            "\"075588886666\",\"rule\":{\"kind\":\"repeated-call\",\"value\":\"3\",\"place\":"
            "\"\",\"prefix\":\"\"},\"overruled_reason\":2,\"overruled_rule\":{\"kind\":"
            "\"area-code\",\"value\":\"0755\",\"place\":\"深圳\",\"prefix\":\"\"}}\n");
}

TEST_F(HushgateScreenTest, JudgesJsonLinesAndReportsBadOnesAtTheEnd) {
  root_.write("/in.jsonl",
              "{\"number\":\"13800138000\",\"system_blocked\":true}\n"
              "this is not json\n"
              "\n"
              "{\"number\":\"" +
                  std::string(3 << 20, '1') +
                  "\"}\n"
                  "{\"number\":\"13800138000\",\"contact\":\"c\"}\n");
  const RunResult result =
      run("{ \"$BIN\" < '" + root_.at("/in.jsonl") + "' 2>'" + root_.at("/errors") + "'; }");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "{\"number\":\"13800138000\",\"reason\":99,\"detail\":\"\"}\n"
            "{\"number\":\"13800138000\",\"reason\":0,\"detail\":\"\"}\n");
  const std::string errors = root_.read("/errors");
  EXPECT_NE(errors.find("hushgate-screen: line 2: not a JSON object\n"
                        "hushgate-screen: line 4: longer than 1048576 bytes\n"),
            std::string::npos)
      << errors;
}

TEST_F(HushgateScreenTest, RefusesBadUsageAndUnreadableDocuments) {
  EXPECT_EQ(run("\"$BIN\" --pref").status, 2);
  EXPECT_EQ(run("\"$BIN\" --bogus 1").status, 2);
  EXPECT_EQ(run("\"$BIN\" --pref '" + root_.at("/missing.json") + "' 1").status, 2);
  root_.write("/broken.json", "{\"enabled\":");
  EXPECT_EQ(run("\"$BIN\" --pref '" + root_.at("/broken.json") + "' 1").status, 2);
  // Nested deeper than any document needs: refused, not a crash.
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  root_.write("/deep.json", deep);
  EXPECT_EQ(run("\"$BIN\" --pref '" + root_.at("/deep.json") + "' 1").status, 2);
  root_.write("/deep.jsonl", "{\"number\":" + deep + "}\n{\"number\":\"1\"}\n");
  const RunResult lines = run("\"$BIN\" < '" + root_.at("/deep.jsonl") + "'");
  EXPECT_EQ(lines.status, 1);
  EXPECT_EQ(lines.out, "{\"number\":\"1\",\"reason\":0,\"detail\":\"\"}\n");
}

// The mobile region rule with the database that the build made from open data.
TEST_F(HushgateScreenTest, BlocksMobileRegionsWithTheBuiltDatabase) {
  namespace fs = std::filesystem;
  const fs::path data = root_.at("/var/mobile/hushgate");
  fs::create_directories(data);
  int copied = 0;
  for (const auto& entry : fs::directory_iterator(HUSHGATE_PHONEDATA_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("phone-", 0) == 0 && entry.path().extension() == ".dat") {
      fs::copy_file(entry.path(), data / name);
      ++copied;
    }
  }
  ASSERT_EQ(copied, 1) << "the build makes exactly one database in " HUSHGATE_PHONEDATA_DIR;

  // 0571 Hangzhou, by the geocoder's place of the blocks 1358888 and 1390571;
  // 1380013 is a Beijing block.
  root_.write("/var/mobile/hushgate/hushgate-pref.json",
              R"({"enabled":true,"mobile-blocked-cities-flattened":["0571"],)"
              R"("ignored-prefixes":[["12583?","^12583\\d\\d+",""]]})");
  EXPECT_EQ(run("\"$BIN\" 13588886666 +8613905710000 125831139057100001 13800138000 "
                "1358888666 05718888666")
                .out,
            "{\"number\":\"13588886666\",\"reason\":3,\"detail\":\"\"}\n"
            "{\"number\":\"+8613905710000\",\"reason\":3,\"detail\":\"\"}\n"
            "{\"number\":\"125831139057100001\",\"reason\":0,\"detail\":\"\"}\n"
            "{\"number\":\"13800138000\",\"reason\":0,\"detail\":\"\"}\n"
            "{\"number\":\"1358888666\",\"reason\":0,\"detail\":\"\"}\n"
            "{\"number\":\"05718888666\",\"reason\":0,\"detail\":\"\"}\n");
  EXPECT_EQ(run("\"$BIN\" 12583113905710000").out,
            "{\"number\":\"12583113905710000\",\"reason\":3,\"detail\":\"\"}\n");
}

}  // namespace
