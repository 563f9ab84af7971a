#include "statics/contracts/fired_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(FiredRuleTest, StoredInTheRecordAndReadBack) {
  struct Case {
    FiredRule rule;
    bool passed;
  };
  const Case cases[] = {
      {{RuleKind::kAreaCode, "0755", "深圳", "12583?"}, false},
      {{RuleKind::kBlacklist, "170*", "", ""}, false},
      {{RuleKind::kKeyword, "广告", "", ""}, true},
  };
  for (const Case& c : cases) {
    BlockRecord record{"call-1", "13912345678", 1700000000, 2, "", R"({"x":1})"};
    setBlockRecordRule(record, c.rule, c.passed);
    const std::optional<BlockRecord> read = parseBlockRecordLine(
        std::string_view(blockRecordLine(record)).substr(0, blockRecordLine(record).size() - 1));
    ASSERT_TRUE(read);
    EXPECT_EQ(blockRecordRule(*read), c.rule);
    EXPECT_EQ(blockRecordPassed(*read), c.passed);
    EXPECT_NE(read->otherMembers.find("\"x\":1"), std::string::npos) << "unknown members kept";
  }
}

TEST(FiredRuleTest, UnreadableRuleMembersAreNoRule) {
  const char* lines[] = {
      R"({"u":"a","p":"1","d":1,"r":4,"rd":""})",
      R"({"u":"a","p":"1","d":1,"r":4,"rd":"","rule":"blacklist"})",
      R"({"u":"a","p":"1","d":1,"r":4,"rd":"","rule":{"kind":"martian"}})",
      R"({"u":"a","p":"1","d":1,"r":4,"rd":"","pass":true})",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const std::optional<BlockRecord> record = parseBlockRecordLine(line);
    ASSERT_TRUE(record);
    EXPECT_FALSE(blockRecordRule(*record));
    EXPECT_FALSE(blockRecordPassed(*record));
  }
}

}  // namespace
