// The line scanner of a JSON object's members and of their elements.
#include "statics/json_member_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

TEST(JsonMemberLinesTest, FindsTheLineOfEveryElement) {
  struct Case {
    const char* name;
    std::string text;
    std::string key;
    size_t memberLine;
    std::vector<size_t> elementLines;
  };
  const std::vector<Case> cases{
      {"one element per line", "{\n\"a\": [\n1,\n2,\n3\n]\n}", "a", 2, {3, 4, 5}},
      {"several on a line", "{\"a\": [1, 2,\n 3]}", "a", 1, {1, 1, 2}},
      {"strings with escapes and brackets",
       "{\"a\": [\"x\\\"],\\n\",\n\"[{\\\\\",\n\"\\u005d\"]}",
       "a",
       1,
       {1, 2, 3}},
      {"nested arrays and objects span lines",
       "{\"a\": [[1,\n[2]],\n{\"k\": [\n3]},\n4]}",
       "a",
       1,
       {1, 3, 5}},
      {"member after a nested value", "{\"x\": {\"y\": [1,\n2]},\n\"a\": [\n5]}", "a", 3, {4}},
      {"object members by order", "{\"m\": {\n\"g\": [1],\n\"h\": []}}", "m", 1, {2, 3}},
      {"escaped key", "{\n\"\\u0061\": [\n0]}", "a", 2, {3}},
      {"key given twice: the last", "{\"a\": [1],\n\"a\": [\n2]}", "a", 2, {3}},
      {"empty array", "{\"a\": [ ]}", "a", 1, {}},
      {"scalar member", "{\"s\": 1,\n\"a\": true}", "a", 2, {}},
      {"CRLF lines", "{\r\n\"a\": [\r\n1,\r\n2]}", "a", 2, {3, 4}},
  };
  for (const Case& c : cases) {
    const JsonLines lines = scanJsonMemberLines(c.text);
    const auto it = lines.find(c.key);
    ASSERT_NE(it, lines.end()) << c.name;
    EXPECT_EQ(it->second.line, c.memberLine) << c.name;
    EXPECT_EQ(it->second.elementLines, c.elementLines) << c.name;
  }
}

TEST(JsonMemberLinesTest, LooksUpElementsAndMembersWithFallbacks) {
  const JsonLines lines = scanJsonMemberLines("{\"a\": [\n1],\n\"m\": {\n\"g\": 1,\n\"h\": 2}}");
  struct Case {
    size_t found;
    size_t expected;
  };
  const std::vector<Case> cases{
      {elementLine(lines, "a", 0), 2},
      {elementLine(lines, "a", 7), 1},
      {elementLine(lines, "none", 0), 0},
      {elementLine(lines, "m", std::string("h")), 5},
      {elementLine(lines, "m", std::string("z")), 3},
      {memberLine(lines, "m"), 3},
      {memberLine(lines, "none"), 0},
  };
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].found, cases[i].expected) << i;
}

TEST(JsonMemberLinesTest, TextThatIsNoObjectGivesWhatCouldBeRead) {
  const std::vector<std::pair<std::string, size_t>> cases{
      {"", 0},
      {"[1, 2]", 0},
      {"{\"a\": [1, 2", 1},
      {"{\"a\": \"", 1},
      {"{\"a\" 1}", 0},
      {std::string(100000, '['), 0},
      {"{\"a\": [" + std::string(100000, '['), 1},
  };
  for (const auto& [text, members] : cases) {
    EXPECT_EQ(scanJsonMemberLines(text).size(), members) << text.substr(0, 20);
  }
}

}  // namespace
