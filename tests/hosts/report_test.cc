// hushgate-report calls: the home-screen host's output joined with the block
// history by the calls' unique ids.
#include <string>
#include <vector>

#include "host_test_support.h"

namespace hosts_testing {
namespace {

using Lines = std::vector<std::string>;

constexpr char kReportBin[] = HUSHGATE_REPORT_BIN;
constexpr char kHeader[] = "call   number               outcome    reason";

class ReportTest : public HostTest {};

TEST_F(ReportTest, CallsAreJoinedWithTheirRecords) {
  const struct {
    const char* name;
    std::string script;
    std::string output;  // the host's
    std::string history;
    Lines rows;
  } cases[] = {
      {"record present, by the script's unique id",
       R"({"call": "a", "status": 4, "number": "95555", "unique_id": "u-a"})"
       "\n",
       R"({"call":"a","status":4,"outcome":"disconnected"})"
       "\n",
       R"({"u":"a","r":2})"
       "\n"
       R"({"u":"u-a","p":"95555","r":5,"rd":"广告"})"
       "\n",
       {"a      95555                blocked    blocked: caller label keyword (广告)"}},
      {"record missing; without a unique id the call id is looked up",
       R"({"call": 7, "status": 4})"
       "\n",
       R"({"call":7,"status":4,"outcome":"disconnected"})"
       "\n",
       R"({"u":"u-7","r":4})"
       "\n",
       {"7      (none)               disconnected no history record"}},
      {"a call with two events: its first was screened; the last record of an id counts",
       R"({"call": "b", "status": 4, "number": "4001"})"
       "\n"
       R"({"call": "b", "status": 6})"
       "\n"
       R"({"call": "c", "status": 4, "number": "4002"})"
       "\n",
       R"({"call":"b","status":4,"outcome":"disconnected"})"
       "\n"
       R"({"call":"b","status":6,"outcome":"swallowed"})"
       "\n"
       R"({"call":"c","status":4,"outcome":"passed"})"
       "\n",
       R"({"u":"b","r":99})"
       "\n"
       R"({"u":"b","r":4})"
       "\n",
       {"b      4001                 blocked    blocked: blacklist",
        "c      4002                 passed     let through"}},
      {"a torn history line hides nothing else",
       R"({"call": "d", "status": 4})"
       "\n"
       R"({"call": "e", "status": 4})"
       "\n",
       R"({"call":"d","status":4,"outcome":"disconnected"})"
       "\n"
       "not json\n"
       R"({"call":"e","status":4,"outcome":"disconnected"})"
       "\n",
       R"({"u":"e","r":)"
       "\n"
       R"({"u":"d","r":3})"
       "\n"
       R"({"u":"e","r":1)",
       {"d      (none)               blocked    blocked: mobile number region",
        "e      (none)               disconnected no history record"}},
  };
  for (const auto& c : cases) {
    root_.write("/script.jsonl", c.script);
    root_.write("/history.txt", c.history);
    const HostRun run = runHost(
        kReportBin, {"calls", root_.at("/script.jsonl"), root_.at("/history.txt")}, c.output);
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.errors;
    Lines expected = {kHeader};
    expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(run.lines, expected) << c.name;
  }
}

TEST_F(ReportTest, TheHistoryIsTheDeviceRootsByDefault) {
  root_.write("/script.jsonl", R"({"call": "a", "status": 4, "unique_id": "u-a"})"
                               "\n");
  root_.write(kHistoryFile, R"({"u":"u-a","r":1})"
                            "\n");
  const HostRun run = runHost(kReportBin, {"calls", root_.at("/script.jsonl")},
                              R"({"call":"a","status":4,"outcome":"disconnected"})"
                              "\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines,
            (Lines{kHeader, "a      (none)               blocked    blocked: no caller number"}));
}

TEST_F(ReportTest, UsageOnRequestOrAfterBadArguments) {
  const HostRun help = runHost(kReportBin, {"--help"});
  EXPECT_EQ(help.status, 0);
  ASSERT_FALSE(help.lines.empty());
  EXPECT_EQ(help.lines[0].rfind("usage: hushgate-report calls SCRIPT [HISTORY]", 0), 0u);
  EXPECT_EQ(help.errors, "");

  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"calls"},
                                               {"calls", "a", "b", "c"},
                                               {"recents", "a", "b"},
                                               {"bogus", "a"}}) {
    const HostRun run = runHost(kReportBin, args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(run.lines, Lines{}) << testing::PrintToString(args);
    EXPECT_EQ(run.errors.rfind("usage: hushgate-report", 0), 0u) << run.errors;
  }
  EXPECT_EQ(runHost(kReportBin, {"calls", root_.at("/no/such/script")}).status, 1);
}

}  // namespace
}  // namespace hosts_testing
