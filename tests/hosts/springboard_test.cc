// The springboard host as a program: alone, and with the probe library
// injected.
#include <chrono>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "statics/contracts/block_record.h"

namespace hosts_testing {
namespace {

using Lines = std::vector<std::string>;

class SpringBoardTest : public HostTest {};

TEST_F(SpringBoardTest, AloneEveryEventPasses) {
  const HostRun run = runHost(kSpringBoardBin, {},
                              R"({"call": "c1", "status": 4, "number": "17012345678"})"
                              "\n\n"
                              R"({"call": 7, "status": 3, "incoming": false})"
                              "\n"
                              R"({"call": "7", "status": 4, "label": null, "contact": "x"})"
                              "\n"
                              R"({"call": "c1", "status": 6})");  // no final line feed
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines, (Lines{R"({"call":"c1","status":4,"outcome":"passed"})",
                              R"({"call":7,"status":3,"outcome":"passed"})",
                              R"({"call":"7","status":4,"outcome":"passed"})",
                              R"({"call":"c1","status":6,"outcome":"passed"})"}));
  EXPECT_EQ(run.errors, "");
}

TEST_F(SpringBoardTest, BadLinesAreReportedAndSkipped) {
  const struct {
    std::string line;
    std::string message;
  } cases[] = {
      {"not json", "not a JSON object"},
      {"[1, 2]", "not a JSON object"},
      {R"({"status": 4})", "a call event needs \"call\""},
      {R"({"call": "a"})", "a call event needs \"status\""},
      {R"({"call": 1.5, "status": 4})", "\"call\" must be a string or an integer"},
      {R"({"call": "a", "status": "4"})", "\"status\" must be an integer"},
      {R"({"call": "a", "status": 99999999999})", "\"status\" must be an integer"},
      {R"({"call": "a", "status": 4, "incoming": "yes"})", "\"incoming\" must be true or false"},
      {R"({"call": "a", "status": 4, "number": 138})", "\"number\" must be a string or null"},
      {R"({"call": "a", "status": 4, "unique_id": null})", "\"unique_id\" must be a string"},
      {R"({"sleep": -1})", "\"sleep\" must be a number"},
      {R"({"sleep": "10"})", "\"sleep\" must be a number"},
      {R"({"sleep": 10, "call": "a"})", "a \"sleep\" line has no other members"},
  };
  for (const auto& c : cases) {
    const HostRun run =
        runHost(kSpringBoardBin, {}, c.line + "\n{\"call\": \"ok\", \"status\": 1}\n");
    EXPECT_EQ(run.status, 1) << c.line;
    EXPECT_NE(run.errors.find("line 1: " + c.message), std::string::npos) << c.line << "\n"
                                                                          << run.errors;
    EXPECT_EQ(run.lines, Lines{R"({"call":"ok","status":1,"outcome":"passed"})"}) << c.line;
  }
}

TEST_F(SpringBoardTest, StandardInputStaysOpenBetweenLines) {
  auto child = start(kSpringBoardBin, {});
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(child->write("{\"call\": 1, \"status\": 4, \"number\": \"10086\"}\n"));
  EXPECT_EQ(child->readLine(kPatience).value_or("(none)"),
            R"({"call":1,"status":4,"outcome":"passed"})");
  EXPECT_EQ(child->exitStatus(100ms), std::nullopt) << "it must wait for more input";
  ASSERT_TRUE(child->write("{\"call\": 1, \"status\": 6}\n"));
  EXPECT_EQ(child->readLine(kPatience).value_or("(none)"),
            R"({"call":1,"status":6,"outcome":"passed"})");
  child->closeInput();
  EXPECT_EQ(child->exitStatus(kPatience), 0) << child->errors();
}

TEST_F(SpringBoardTest, ReadsAScriptFileAndSleeps) {
  root_.write(
      "/calls.jsonl",
      "{\"call\": \"a\", \"status\": 4}\n{\"sleep\": 300}\n{\"call\": \"a\", \"status\": 6}\n");
  const auto start = std::chrono::steady_clock::now();
  const HostRun run = runHost(kSpringBoardBin, {root_.at("/calls.jsonl")});
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines.size(), 2u);
}

TEST_F(SpringBoardTest, BadArgumentsAreRefused) {
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"--bogus"}, 2},
      {{"a.jsonl", "b.jsonl"}, 2},
      {{"/no/such/script.jsonl"}, 1},
      {{"--help"}, 0},
  };
  for (const auto& c : cases) {
    const HostRun run = runHost(kSpringBoardBin, c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0];
    EXPECT_NE(run.errors + (run.lines.empty() ? "" : run.lines[0]), "") << c.args[0];
  }
}

TEST_F(SpringBoardTest, InjectedHookDisconnectsAndTheHostSaysOnlyThat) {
  injectProbe();
  const std::string older = R"({"u":"c1","p":"","d":0,"r":99,"rd":"old"})"
                            "\n";
  root_.write(kHistoryFile, older);
  const HostRun run =
      runHost(kSpringBoardBin, {},
              // The probe hangs this one up without writing a record.
              R"({"call": 3, "status": 4, "number": "17090000000"})"
              "\n"
              R"({"call": "c2", "status": 4, "number": "13800138000", "unique_id": "u-2"})"
              "\n"
              R"({"call": "c1", "status": 4, "number": "17012345678"})"
              "\n"
              R"({"call": "c1", "status": 1})"
              "\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines, (Lines{R"({"call":3,"status":4,"outcome":"disconnected"})",
                              // The hang-up's own status 6 event comes before the next line.
                              R"({"call":3,"status":6,"outcome":"swallowed"})",
                              R"({"call":"c2","status":4,"outcome":"passed"})",
                              R"({"call":"c1","status":4,"outcome":"disconnected"})",
                              R"({"call":"c1","status":6,"outcome":"swallowed"})",
                              R"({"call":"c1","status":1,"outcome":"passed"})"}));
  EXPECT_EQ(root_.read("/probe-launched"), "springboard\n") << "the launch goes through hooks";

  // The probe's record, written after the hang-up, is in the history when the
  // host has ended: the end of the script right after it does not drop it.
  const std::vector<BlockRecord> history = parseBlockHistory(root_.read(kHistoryFile));
  ASSERT_EQ(history.size(), 2u) << root_.read(kHistoryFile);
  EXPECT_EQ(history[0], *parseBlockRecordLine(older));
  EXPECT_EQ(history[1], (BlockRecord{.uniqueId = "c1",
                                     .number = "17012345678",
                                     .date = 0,
                                     .reason = BlockReasonBlacklist,
                                     .detail = "probe"}));
}

}  // namespace
}  // namespace hosts_testing

namespace hosts_testing {
namespace {

// While the host sleeps, it reads its input no further than a bounded
// number of lines ahead: the writer waits instead of the host growing.
TEST_F(SpringBoardTest, InputIsReadNoFurtherAheadThanItIsHandled) {
  auto child = start(kSpringBoardBin, {});
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(child->write("{\"sleep\": 60000}\n"));
  const std::string line =
      R"({"call": "c", "status": 1, "label": ")" + std::string(1000, 'x') + "\"}\n";
  constexpr size_t kOffered = 256u << 20;
  const size_t taken = child->writeWhileTaken(line, kOffered, std::chrono::milliseconds(500));
  EXPECT_LT(taken, size_t{16} << 20) << "the host kept reading while it slept";
}

}  // namespace
}  // namespace hosts_testing
