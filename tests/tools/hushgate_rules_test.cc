// Runs the hushgate-rules program as a user would: rules out of one device
// root and into another.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "statics/contracts/pref_document.h"
#include "statics/json_document.h"
#include "support/notification_marker.h"
#include "support/shell_run.h"
#include "support/temp_root.h"

namespace {

constexpr char kPref[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kUpdated[] = "com.tevrin.hushgate.preference-updated";

using RunResult = testing_support::ShellRun;

// Runs the program with the arguments (a shell word list); stderr goes to
// the file /err of the device root.
RunResult run(const testing_support::TempDeviceRoot& root, const std::string& arguments) {
  return testing_support::runShell("'" HUSHGATE_RULES_BIN "' " + arguments + " 2>'" +
                                   root.at("/err") + "'");
}

Json document(const testing_support::TempDeviceRoot& root) {
  return parseJsonDocument(root.read(kPref)).value_or(Json());
}

class HushgateRulesTest : public ::testing::Test {
 protected:
  testing_support::TempDeviceRoot root_;
};

TEST_F(HushgateRulesTest, ExportsAndImportsWithAPreviewThatChangesNothing) {
  root_.write(kPref, R"({"enabled":true,"blacklist":[["170*","^170\\d*$","ads"]],)"
                     R"("keywords":["推销"],"blocked-cities-flattened":["010"]})");
  const std::string file = root_.at("/rules.json");
  ASSERT_EQ(run(root_, "export '" + file + "'").status, 0);
  const std::string rules = root_.read("/rules.json");
  EXPECT_NE(rules.find("{\"pattern\": \"170*\", \"comment\": \"ads\"}"), std::string::npos);
  EXPECT_EQ(run(root_, "export -").out, rules);

  // Into a phone with other rules: the preview and then the merge.
  const std::string before = R"({"blacklist":[["139","^139$",""]],"keywords":["推销"]})";
  root_.write(kPref, before);
  testing_support::PostCounter posts(kUpdated);
  const RunResult preview = run(root_, "import --dry-run '" + file + "'");
  EXPECT_EQ(preview.status, 0);
  EXPECT_NE(preview.out.find("blacklist: 1 to add, 0 listed already\n"), std::string::npos)
      << preview.out;
  EXPECT_NE(preview.out.find("keywords: 0 to add, 1 listed already\n"), std::string::npos);
  EXPECT_NE(preview.out.find("enabled: (none) -> true\n"), std::string::npos);
  EXPECT_EQ(root_.read(kPref), before);
  EXPECT_EQ(posts.postsSoFar(), 0);

  const RunResult merged = run(root_, "import '" + file + "'");
  EXPECT_EQ(merged.status, 0) << root_.read("/err");
  EXPECT_NE(merged.out.find("added 2 entries, changed 1 settings\n"), std::string::npos)
      << merged.out;
  const Json pref = document(root_);
  EXPECT_EQ(pref["blacklist"], Json::parse(R"([["139","^139$",""],["170*","^170\\d*$","ads"]])"));
  EXPECT_EQ(pref["keywords"], Json::array({"推销"}));
  EXPECT_EQ(pref["blocked-cities-flattened"], Json::array({"010"}));
  EXPECT_EQ(pref["enabled"], true);
  EXPECT_EQ(posts.postsSoFar(), 1);
}

TEST_F(HushgateRulesTest, ReportsBadEntriesByLineAndRefusesBadFiles) {
  root_.write("/rules.json",
              "{\"format\": \"hushgate-rules\", \"version\": 1,\n"
              "\"blacklist\": [\n{\"pattern\": \"12a\"},\n{\"pattern\": \"10086\"}]}\n");
  const RunResult partial = run(root_, "import '" + root_.at("/rules.json") + "'");
  EXPECT_EQ(partial.status, 0);
  EXPECT_NE(partial.out.find("line 3: blacklist: \"12a\" is not a number pattern"),
            std::string::npos)
      << partial.out;
  EXPECT_EQ(document(root_)["blacklist"], Json::parse(R"([["10086","^10086$",""]])"));

  struct Case {
    std::string arguments;
    std::string file;  // written to /in.json first unless empty
    int status;
    std::string error;
  };
  const std::vector<Case> cases{
      {"import '" + root_.at("/in.json") + "'", "{\"format\": \"x\", \"version\": 1}", 1,
       "not a rules file"},
      {"import '" + root_.at("/in.json") + "'", "{\"format\": \"hushgate-rules\", \"version\": 9}",
       1, "version 9"},
      {"import '" + root_.at("/in.json") + "'", "not json", 1, "not JSON"},
      {"import '" + root_.at("/missing.json") + "'", "", 1, "cannot read"},
      {"export '" + root_.at("/no/such/folder/r.json") + "'", "", 1, "cannot write"},
      {"", "", 2, "usage: "},
      {"import", "", 2, "usage: "},
      {"export --dry-run f", "", 2, "usage: "},
      {"import a b", "", 2, "usage: "},
      {"remove f", "", 2, "usage: "},
  };
  const std::string pref = root_.read(kPref);
  for (const Case& c : cases) {
    if (!c.file.empty()) root_.write("/in.json", c.file);
    const RunResult result = run(root_, c.arguments);
    EXPECT_EQ(result.status, c.status) << c.arguments;
    EXPECT_EQ(result.out, "") << c.arguments;
    EXPECT_NE(root_.read("/err").find(c.error), std::string::npos) << root_.read("/err");
    EXPECT_EQ(root_.read(kPref), pref) << c.arguments;
  }
}

}  // namespace
