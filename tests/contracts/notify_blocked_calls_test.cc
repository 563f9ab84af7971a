// The desktop-notification switch of the main document: on unless the
// document says false, so that documents written before it notify.
#include <gtest/gtest.h>

#include "statics/contracts/pref_document.h"

namespace {

TEST(NotifyBlockedCallsTest, OnUnlessTheDocumentSaysFalse) {
  struct Row {
    const char* name;
    const char* document;
    bool on;
  };
  const Row rows[] = {
      {"absent", R"({})", true},
      {"true", R"({"notify-blocked-calls": true})", true},
      {"false", R"({"notify-blocked-calls": false})", false},
      {"another type", R"({"notify-blocked-calls": "no"})", true},
      {"not an object", R"([false])", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(notifyBlockedCalls(Json::parse(row.document)), row.on) << row.name;
  }
  EXPECT_TRUE(isPrefDocumentKey("notify-blocked-calls"));
}

}  // namespace
