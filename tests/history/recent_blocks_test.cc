#include "hushgate/history/recent_blocks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "hushgate/history/block_history.h"
#include "statics/contracts/fired_rule.h"

namespace {

class RecentBlocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::path(::testing::TempDir()) /
             (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
              "-history.txt"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  void write(const std::vector<BlockRecord>& records, const std::string& before = {}) {
    std::ofstream(path_, std::ios::binary) << before << blockHistoryText(records);
  }
  static BlockRecord record(const char* id, const char* number, int64_t date, bool passed) {
    BlockRecord r{id, number, date, 3, ""};
    if (passed) setBlockRecordRule(r, {RuleKind::kMobileRegion, "0571"}, true);
    return r;
  }

  std::string path_;
};

constexpr int64_t kNow = 2000000000;

// Blocks come from the file's end; calls let through, old blocks and a cut
// first line are no blocks; the Phone side does not mark a call let through.
TEST_F(RecentBlocksTest, ReadsTheBlocksOfTheLastHourFromTheFile) {
  write({record("a", "13912345678", kNow - 100, false), record("b", "13912345678", kNow - 50, true),
         record("c", "075512345678", kNow - kRecentBlocksSpan - 1, false),
         record("d", "1701234", kNow - 10, false)},
        std::string(kRecentBlocksTailBytes, 'x') + "\n");
  RecentBlocks blocks;
  blocks.note("10086", kNow + 1);  // noted while the file is read
  blocks.note("95555", kNow - 5);  // forgotten: the file is the truth
  blocks.loadFromHistory(path_, kNow);
  struct Case {
    const char* number;
    std::optional<int64_t> date;
  };
  const Case cases[] = {{"13912345678", kNow - 100}, {"075512345678", std::nullopt},
                        {"1701234", kNow - 10},      {"10086", kNow + 1},
                        {"95555", std::nullopt},     {"", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(blocks.lastBlock(c.number), c.date) << c.number;

  const std::vector<std::string> marked = loadMPBlockHistory(path_);
  EXPECT_EQ(marked, (std::vector<std::string>{"a", "c", "d"}));
}

}  // namespace
