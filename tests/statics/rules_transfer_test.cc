// The rules file: planning an import of it into a document, merging it, and
// a document's rules exported and imported again.
#include "statics/rules_transfer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "statics/contracts/blacklist_pattern.h"

namespace {

Json entry(const std::string& pattern, const std::string& comment = "") {
  return Json::array({pattern, blacklistExpression(pattern), comment});
}

// The phone's document the files are imported into.
Json phone() {
  return Json{{"enabled", false},
              {"blacklist", Json::array({entry("138*", "old")})},
              {"keywords", {"广告"}},
              {"blocked-groups", {"g1"}},
              {"blocked-cities", {{"g1", {"010"}}}},
              {"blocked-cities-flattened", {"010"}}};
}

std::string header() {
  return "{\n\"format\": \"hushgate-rules\",\n\"version\": 1,\n";  // lines 1-3
}

std::string manyEntries(int count) {
  std::string text = header() + "\"blacklist\": [\n";
  for (int i = 0; i < count; ++i) {
    text += (i ? ",\n" : "") + std::string("{\"pattern\": \"") + std::to_string(15000000000 + i) +
            "\"}";
  }
  return text + "\n]}";
}

struct Case {
  const char* name;
  std::string file;
  std::string refusal;                                   // text in the message when refused
  std::map<std::string, size_t> added;                   // per list present in the file
  std::map<std::string, size_t> listed;                  // entries left out as listed already
  std::vector<std::pair<size_t, std::string>> problems;  // line, key
  Json settings;                                         // key -> new value
  Json after;                                            // members of the merged document
};

TEST(RulesTransferTest, PlansAndMergesEachKindOfFile) {
  const std::vector<Case> cases{
      {"valid",
       header() + "\"enabled\": true,\n\"repeated-call-enabled\": true,\n"
                  "\"repeated-call-minutes\": 5,\n\"quiet-hours-start\": \"22:00\",\n"
                  "\"quiet-hours-days\": [1, 7],\n"
                  "\"blacklist\": [{\"pattern\": \"170-1234 *\", \"comment\": \" ads \"}],\n"
                  "\"allowlist\": [{\"pattern\": \"+8613800138000\"}],\n"
                  "\"ignored-prefixes\": [{\"pattern\": \"125 83?\", \"comment\": \"x\"}],\n"
                  "\"keywords\": [\" 推销 \"],\n\"blocked-groups\": [\"g2\"],\n"
                  "\"blocked-cities\": {\"g3\": [\"0755\"]},\n"
                  "\"blocked-cities-flattened\": [\"020\", \"0755\"],\n"
                  "\"mobile-blocked-cities\": {},\n\"unknown-member\": 1\n}",
       "",
       {{"blacklist", 1},
        {"allowlist", 1},
        {"ignored-prefixes", 1},
        {"keywords", 1},
        {"blocked-groups", 1},
        {"blocked-cities", 1},
        {"blocked-cities-flattened", 2},
        {"mobile-blocked-cities", 0}},
       {},
       {},
       {{"enabled", true},
        {"repeated-call-enabled", true},
        {"repeated-call-minutes", 5},
        {"quiet-hours-start", "22:00"},
        {"quiet-hours-days", {1, 7}}},
       {{"blacklist", {entry("138*", "old"), entry("1701234*", "ads")}},
        {"allowlist", {entry("+8613800138000")}},
        {"ignored-prefixes", {{"12583?", prefixExpression("12583?"), "x"}}},
        {"keywords", {"广告", "推销"}},
        {"blocked-groups", {"g1", "g2"}},
        {"blocked-cities", {{"g1", {"010"}}, {"g3", {"0755"}}}},
        {"blocked-cities-flattened", {"010", "020", "0755"}},
        {"enabled", true},
        {"repeated-call-minutes", 5}}},
      {"one bad entry in each list",
       header() +
           "\"blacklist\": [\n{\"pattern\": \"139\"},\n{\"pattern\": \"12a\"},\n5],\n"  // 4-7
           "\"allowlist\": [\n{\"pattern\": \"1***2\"},\n{\"pattern\": \"1**2\"}],\n"   // 8-10
           "\"ignored-prefixes\": [\n{\"pattern\": \"12*\"},\n"                         // 11-12
           "{\"pattern\": \"1\", \"comment\": 3}],\n"                                   // 13
           "\"keywords\": [\n7,\n\"  \",\n\"ok\"],\n"                                   // 14-17
           "\"blocked-groups\": [\n3],\n"                                               // 18-19
           "\"blocked-cities\": {\n\"g\": \"010\",\n\"h\": [\"020\", null]},\n"         // 20-22
           "\"mobile-blocked-cities-flattened\": [\n\"030\",\nnull],\n"                 // 23-25
           "\"enabled\": \"yes\",\n\"repeated-call-minutes\": 0,\n"                     // 26-27
           "\"quiet-hours-end\": \"25:00\",\n\"quiet-hours-days\": [\n1,\n8],\n"        // 28-31
           "\"allowlist-typo\": [],\n\"mobile-blocked-groups\": \"g\"\n}",              // 32-34
       "",
       {{"blacklist", 1},
        {"allowlist", 1},
        {"ignored-prefixes", 0},
        {"keywords", 1},
        {"blocked-groups", 0},
        {"blocked-cities", 1},
        {"mobile-blocked-cities-flattened", 1}},
       {},
       {{6, "blacklist"},
        {7, "blacklist"},
        {9, "allowlist"},
        {12, "ignored-prefixes"},
        {13, "ignored-prefixes"},
        {15, "keywords"},
        {16, "keywords"},
        {19, "blocked-groups"},
        {21, "blocked-cities"},
        {22, "blocked-cities"},
        {25, "mobile-blocked-cities-flattened"},
        {26, "enabled"},
        {27, "repeated-call-minutes"},
        {28, "quiet-hours-end"},
        {31, "quiet-hours-days"},
        {33, "mobile-blocked-groups"}},
       Json::object(),
       {{"blacklist", {entry("138*", "old"), entry("139")}},
        {"allowlist", {entry("1*2")}},
        {"keywords", {"广告", "ok"}},
        {"blocked-cities", {{"g1", {"010"}}, {"h", {"020"}}}},
        {"mobile-blocked-cities-flattened", {"030"}},
        {"enabled", false}}},
      {"duplicates against the phone and within the file",
       header() +
           "\"blacklist\": [{\"pattern\": \"138*\", \"comment\": \"new\"}, {\"pattern\": "
           "\"139\"},\n"
           "{\"pattern\": \"13 9\"}, {\"pattern\": \"13?*\"}],\n"
           "\"keywords\": [\"广告\", \"a\", \" a\"],\n\"blocked-groups\": [\"g1\", \"g1\"],\n"
           "\"blocked-cities\": {\"g1\": [\"010\", \"021\", \"021\"]},\n"
           "\"blocked-cities-flattened\": [\"010\", \"021\"],\n\"enabled\": false\n}",
       "",
       {{"blacklist", 2},
        {"keywords", 1},
        {"blocked-groups", 0},
        {"blocked-cities", 1},
        {"blocked-cities-flattened", 1}},
       {{"blacklist", 2},
        {"keywords", 2},
        {"blocked-groups", 2},
        {"blocked-cities", 2},
        {"blocked-cities-flattened", 1}},
       {},
       Json::object(),
       {{"blacklist", {entry("138*", "old"), entry("139"), entry("13*")}},
        {"keywords", {"广告", "a"}},
        {"blocked-groups", {"g1"}},
        {"blocked-cities", {{"g1", {"010", "021"}}}},
        {"blocked-cities-flattened", {"010", "021"}}}},
      {"wrong version",
       "{\"format\": \"hushgate-rules\", \"version\": 2}",
       "version 2",
       {},
       {},
       {},
       {},
       {}},
      {"version as text",
       "{\"format\": \"hushgate-rules\", \"version\": \"1\"}",
       "version \"1\"",
       {},
       {},
       {},
       {},
       {}},
      {"no version", "{\"format\": \"hushgate-rules\"}", "version none", {}, {}, {}, {}, {}},
      {"wrong format",
       "{\"format\": \"other\", \"version\": 1}",
       "not a rules file",
       {},
       {},
       {},
       {},
       {}},
      {"no format", "{\"version\": 1, \"blacklist\": []}", "not a rules file", {}, {}, {}, {}, {}},
      {"not JSON",
       "{\"format\": \"hushgate-rules\", \"version\": 1,",
       "not JSON",
       {},
       {},
       {},
       {},
       {}},
      {"not UTF-8",
       "{\"format\": \"hushgate-rules\", \"version\": 1, \"keywords\": [\"\xff\"]}",
       "not JSON",
       {},
       {},
       {},
       {},
       {}},
      {"not an object",
       "[{\"format\": \"hushgate-rules\", \"version\": 1}]",
       "no JSON object",
       {},
       {},
       {},
       {},
       {}},
      {"100,000 entries",
       manyEntries(100000),
       "",
       {{"blacklist", 100000}},
       {},
       {},
       Json::object(),
       Json::object()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<ImportPlan> plan = planImport(c.file, phone());
    if (!c.refusal.empty()) {
      ASSERT_FALSE(plan.ok());
      EXPECT_NE(plan.error().find(c.refusal), std::string::npos) << plan.error();
      continue;
    }
    ASSERT_TRUE(plan.ok()) << plan.error();
    std::map<std::string, size_t> added, listed;
    for (const ListImport& list : plan->lists) {
      added[list.key] = list.added.size();
      if (list.alreadyListed > 0) listed[list.key] = list.alreadyListed;
    }
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(listed, c.listed);
    std::vector<std::pair<size_t, std::string>> problems;
    for (const ImportProblem& problem : plan->problems) {
      problems.emplace_back(problem.line, problem.key);
      EXPECT_FALSE(problem.message.empty());
    }
    EXPECT_EQ(problems, c.problems);
    Json settings = Json::object();
    for (const SettingImport& setting : plan->settings) settings[setting.key] = setting.to;
    EXPECT_EQ(settings, c.settings);
    EXPECT_EQ(plan->changesNothing(), plan->addedCount() == 0 && c.settings.empty());

    const Json merged = applyImport(phone(), *plan);
    for (const auto& [key, value] : c.after.items()) EXPECT_EQ(merged[key], value) << key;
    size_t blacklisted = 1;
    if (c.added.count("blacklist")) blacklisted += c.added.at("blacklist");
    EXPECT_EQ(merged["blacklist"].size(), blacklisted);
  }
}

TEST(RulesTransferTest, MergingAgainAddsNothingTwice) {
  const std::string file = header() +
                           "\"blacklist\": [{\"pattern\": \"170\"}],\n"
                           "\"blocked-cities\": {\"g1\": [\"021\"]}\n}";
  const Result<ImportPlan> plan = planImport(file, phone());
  ASSERT_TRUE(plan.ok());
  // The document changed since the plan: it lists the entries already.
  const Json once = applyImport(phone(), *plan);
  EXPECT_EQ(applyImport(once, *plan), once);
  // A list of another type is replaced.
  const Json replaced = applyImport(Json{{"blacklist", "x"}, {"blocked-cities", 1}}, *plan);
  EXPECT_EQ(replaced["blacklist"], Json::array({entry("170")}));
  EXPECT_EQ(replaced["blocked-cities"], (Json{{"g1", {"021"}}}));
}

TEST(RulesTransferTest, ExportedRulesImportIntoAnEmptyDeviceAsTheyWere) {
  const Json rules{
      {"enabled", true},
      {"block-unknown-enabled", true},
      {"bypass-contacts-enabled", false},
      {"repeated-call-enabled", true},
      {"quiet-hours-enabled", true},
      {"repeated-call-minutes", 7},
      {"quiet-hours-start", "23:30"},
      {"quiet-hours-end", "07:00"},
      {"quiet-hours-days", {1, 2, 6}},
      {"blacklist", {entry("170*", "广告 \"quoted\""), entry("+86138????1234")}},
      {"allowlist", {entry("10086", "carrier")}},
      {"ignored-prefixes", {{"12583?", prefixExpression("12583?"), "和多号"}}},
      {"keywords", {"响一声", "tab\there"}},
      {"blocked-groups", {"guangdong"}},
      {"blocked-cities", {{"guangdong", {"020", "0755"}}, {"beijing", {"010"}}}},
      {"blocked-cities-flattened", {"020", "0755", "010"}},
      {"mobile-blocked-groups", {"sichuan"}},
      {"mobile-blocked-cities", {{"sichuan", {"028"}}}},
      {"mobile-blocked-cities-flattened", {"028"}},
  };
  Json pref = rules;
  pref["version"] = "2.0";
  pref["unrelated"] = 1;
  const std::string text = exportRules(pref);
  const Result<ImportPlan> plan = planImport(text, Json::object());
  ASSERT_TRUE(plan.ok()) << plan.error();
  EXPECT_TRUE(plan->problems.empty());
  const Json imported = applyImport(Json::object(), *plan);
  for (const auto& [key, value] : rules.items()) {
    if (value.is_boolean()) {
      EXPECT_EQ(imported.value(key, false), value) << key;
    } else {
      EXPECT_EQ(imported[key], value) << key;
    }
  }
  EXPECT_FALSE(imported.contains("unrelated"));
  EXPECT_FALSE(imported.contains("version"));
}

TEST(RulesTransferTest, ExportWritesEachEntryOnItsOwnLine) {
  // Entries no editor would take, as a hand-edited document may hold them.
  const Json pref{{"blacklist", {entry("139"), entry("12a"), entry("13 8")}},
                  {"keywords", {"a", "", "b"}}};
  const std::string text = exportRules(pref);
  const Result<ImportPlan> plan = planImport(text, Json::object());
  ASSERT_TRUE(plan.ok());
  ASSERT_EQ(plan->problems.size(), 2u);
  std::vector<std::string> lines{""};
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const std::vector<std::string> expected{"\"12a\"", "\"\""};
  for (size_t i = 0; i < 2; ++i) {
    const ImportProblem& problem = plan->problems[i];
    ASSERT_LT(problem.line, lines.size());
    EXPECT_NE(lines[problem.line].find(expected[i]), std::string::npos) << lines[problem.line];
  }
}

// Half of 100,000 entries are on the phone already (bench/rules_bench.cc
// times the same).
TEST(RulesTransferTest, HundredThousandEntriesPlanAndMerge) {
  const std::string file = manyEntries(100000);
  Json pref = phone();
  for (int i = 0; i < 100000; i += 2)
    pref["blacklist"].push_back(entry(std::to_string(15000000000 + i)));
  const Result<ImportPlan> plan = planImport(file, pref);
  ASSERT_TRUE(plan.ok());
  const Json merged = applyImport(std::move(pref), *plan);
  EXPECT_EQ(plan->lists.at(0).alreadyListed, 50000u);
  EXPECT_EQ(merged["blacklist"].size(), 100001u);
}

}  // namespace
