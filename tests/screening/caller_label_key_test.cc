#include <gtest/gtest.h>

#include "statics/screening/screening.h"

namespace {

TEST(CallerLabelLookupKeyTest, Table) {
  const struct {
    const char* number;
    const char* key;
  } cases[] = {
      {"13800138000", "8613800138000"},  // mobile
      {"15912345678", "8615912345678"},
      {"17012345678", "8617012345678"},
      {"18612345678", "8618612345678"},
      {"19912345678", "8619912345678"},
      {"14712345678", "8614712345678"},  // 14 and 16 are not mobile prefixes
      {"16612345678", "8616612345678"},
      {"1380013800", "861380013800"},     // 10 digits: not mobile, longer than 8
      {"075512345678", "8675512345678"},  // landline loses its 0
      {"01012345678", "861012345678"},
      {"0123456789", "86123456789"},  // 9 left: longer than 8
      {"012345678", "12345678"},      // 8 left: unchanged
      {"12345678", "12345678"},
      {"123456789", "86123456789"},
      {"10086", "10086"},  // short service numbers
      {"95555", "95555"},
      {"0010", "010"},  // only one 0 is removed
      {"0", ""},
      {"", ""},
      {"1391234567\U0001D7D6", "861391234567\U0001D7D6"},  // 12 UTF-16 units
  };
  for (const auto& c : cases) {
    EXPECT_EQ(callerLabelLookupKey(c.number), c.key) << c.number;
  }
}

}  // namespace
