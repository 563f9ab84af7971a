#include "statics/contracts/block_record.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>

namespace {

using std::chrono::duration;
using std::chrono::system_clock;

system_clock::time_point at(double secondsSince1970) {
  return system_clock::time_point(
      std::chrono::duration_cast<system_clock::duration>(duration<double>(secondsSince1970)));
}

TEST(BlockRecordDateTest, WholeSecondsTruncatedTowardZero) {
  const struct {
    double seconds;
    int64_t date;
  } cases[] = {
      {0, 0},     {1.9, 1},  {1700000000.999, 1700000000}, {1700000001.0, 1700000001},
      {-1.9, -1}, {-0.5, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(blockRecordDate(at(c.seconds)), c.date) << c.seconds;
}

// The parts of a line that must hold whatever the record: one compact JSON
// object, the five members with their types, and a single final "\n".
void expectWellFormedLine(const std::string& line, const BlockRecord& record) {
  ASSERT_FALSE(line.empty());
  EXPECT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "line feed inside the line";
  const nlohmann::json object = nlohmann::json::parse(line);  // throws on malformed JSON
  ASSERT_TRUE(object.is_object());
  EXPECT_EQ(object.size(), 5u);
  EXPECT_TRUE(object.at("u").is_string());
  EXPECT_TRUE(object.at("p").is_string());
  EXPECT_TRUE(object.at("d").is_number_integer());
  EXPECT_TRUE(object.at("r").is_number_unsigned());
  EXPECT_TRUE(object.at("rd").is_string());
  EXPECT_EQ(object.at("d").get<int64_t>(), record.date);
  EXPECT_EQ(object.at("r").get<unsigned>(), record.reason);
  // Compact: the serialiser's own compact form, byte for byte.
  EXPECT_EQ(line, object.dump(-1, ' ', false) + "\n");
}

TEST(BlockRecordLineTest, WritesOneCompactObjectPerRecord) {
  const struct {
    const char* name;
    BlockRecord record;
  } cases[] = {
      {"blacklist", {"7E1C-44", "+8612583113800138000", 1700000000, 4, ""}},
      {"keyword with Chinese label", {"A-1", "4001234567", 1700000001, 5, "骚扰电话"}},
      {"no number", {"B-2", "", 1, 1, ""}},
      {"no unique id", {"", "10086", 2, 99, ""}},
      {"quotes and control characters",
       {"q\"u", "1\\2", 3, 5, "line\nbreak\ttab\r\x01 \"quoted\" / slash"}},
      {"negative date", {"C-3", "1", -5, 2, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string line = blockRecordLine(c.record);
    expectWellFormedLine(line, c.record);
    EXPECT_EQ(parseBlockRecordLine(std::string_view(line).substr(0, line.size() - 1)), c.record);
  }
}

TEST(BlockRecordLineTest, ChineseIsWrittenAsUtf8NotEscaped) {
  const std::string line = blockRecordLine({"u1", "10086", 1700000000, 5, "快递外卖"});
  EXPECT_NE(line.find("\"rd\":\"快递外卖\""), std::string::npos) << line;
  EXPECT_EQ(line.find("\\u"), std::string::npos) << line;
}

TEST(BlockRecordLineTest, IllFormedUtf8IsReplacedNotLost) {
  const BlockRecord record{"id\xff", "138\xc0\x80", 7, 5, "\xe9\xaa label \xed\xa0\x80"};
  const std::string line = blockRecordLine(record);
  expectWellFormedLine(line, record);
  const std::optional<BlockRecord> back = parseBlockRecordLine(line);
  ASSERT_TRUE(back);
  const std::string replacement = "\xef\xbf\xbd";
  EXPECT_EQ(back->uniqueId.substr(0, 2), "id");
  EXPECT_NE(back->uniqueId.find(replacement), std::string::npos);
  EXPECT_NE(back->number.find(replacement), std::string::npos);
  EXPECT_NE(back->detail.find(" label "), std::string::npos);
  EXPECT_EQ(back->date, 7);
  EXPECT_EQ(back->reason, 5u);
}

// Members the format does not name come back on the written line, so a
// rewrite of the history loses nothing.
TEST(BlockRecordLineTest, OtherMembersAreWrittenBack) {
  const std::string line = R"({"u":"a","p":"1","d":2,"r":3,"rd":"","why":{"rule":"0755"},"n":[1]})";
  const std::optional<BlockRecord> record = parseBlockRecordLine(line);
  ASSERT_TRUE(record);
  const std::string written = blockRecordLine(*record);
  EXPECT_EQ(nlohmann::json::parse(written), nlohmann::json::parse(line)) << written;
  EXPECT_EQ(parseBlockRecordLine(written), record);
}

TEST(ParseBlockHistoryTest, KeepsExactlyTheRecordLines) {
  const std::string text =
      "{\"u\":\"a\"}\n\n[1]\n{\"u\":\"b\"}\r\n{\"u\":\"\xff\"}\n{\"u\":\"c\"}\n{\"u\":\"to";
  std::vector<std::string> ids;
  for (const BlockRecord& record : parseBlockHistory(text)) ids.push_back(record.uniqueId);
  EXPECT_EQ(ids, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(blockHistoryText(parseBlockHistory(blockHistoryText(parseBlockHistory(text)))),
            blockHistoryText(parseBlockHistory(text)));
}

TEST(ParseBlockRecordLineTest, ReadsMembersByKey) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const struct {
    std::string line;
    std::optional<BlockRecord> record;
  } cases[] = {
      {R"({"u":"a","p":"1","d":5,"r":4,"rd":""})", BlockRecord{"a", "1", 5, 4, ""}},
      {R"({"rd":"x","r":5,"d":6,"p":"2","u":"b"})", BlockRecord{"b", "2", 6, 5, "x"}},
      {R"(  {"u":"a"}  )", BlockRecord{"a", "", 0, 0, ""}},
      {"{\"u\":\"a\"}\r", BlockRecord{"a", "", 0, 0, ""}},
      {R"({"u":"a","extra":[1,{"x":2}],"v":2})",
       BlockRecord{"a", "", 0, 0, "", R"({"extra":[1,{"x":2}],"v":2})"}},
      {R"({})", BlockRecord{}},
      // Members of another type: numbers as text, texts by their leading
      // integer, anything else empty or 0.
      {R"({"u":12,"p":null,"d":"5","r":true,"rd":{}})", BlockRecord{"12", "", 5, 0, ""}},
      {R"({"p":13800138000,"rd":1.5,"r":"4","d":" -7x"})",
       BlockRecord{"", "13800138000", -7, 4, "1.5"}},
      {R"({"r":"4x","d":"x9"})", BlockRecord{"", "", 0, 4, ""}},
      {R"({"r":"-1","d":"99999999999999999999"})", BlockRecord{"", "", kMax, 0, ""}},
      {R"({"u":["a"],"r":[4],"p":{"a":"b"}})", BlockRecord{}},
      // Numbers with a fraction are cut toward zero.
      {R"({"d":1700000000.9,"r":4.0})", BlockRecord{"", "", 1700000000, 4, ""}},
      {R"({"d":-1.9})", BlockRecord{"", "", -1, 0, ""}},
      // Reasons that are negative or too big are no reason; dates saturate.
      {R"({"r":-4})", BlockRecord{}},
      {R"({"r":4294967300})", BlockRecord{}},
      {R"({"r":1e30})", BlockRecord{}},
      {R"({"d":18446744073709551615})", BlockRecord{"", "", kMax, 0, ""}},
      {R"({"d":1e300})", BlockRecord{"", "", kMax, 0, ""}},
      {R"({"d":-1e300})", BlockRecord{"", "", kMin, 0, ""}},
      {R"({"d":9223372036854775807})", BlockRecord{"", "", kMax, 0, ""}},
      // Later duplicates win.
      {R"({"u":"a","u":"b"})", BlockRecord{"b", "", 0, 0, ""}},
      // Not one JSON object.
      {"", std::nullopt},
      {"[]", std::nullopt},
      {"\"u\"", std::nullopt},
      {"12", std::nullopt},
      {"null", std::nullopt},
      {R"({"u":"torn)", std::nullopt},
      {R"({"u":"a"} {"u":"b"})", std::nullopt},
      {"{\"u\":\"\xff\"}", std::nullopt},
      {R"({"u":"a"}x)", std::nullopt},
      {std::string(R"({"u":"a","x":)") + std::string(600, '[') + std::string(600, ']') + "}",
       std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parseBlockRecordLine(c.line), c.record) << c.line;
}

// Lines as the writer writes them take a shorter road; every line reads as
// the same line with a blank after its "{" (which only the general reader
// takes) reads.
TEST(ParseBlockRecordLineTest, WrittenLinesReadAsAnyOtherLine) {
  const std::string lines[] = {
      blockRecordLine({"5D3F2A1C-0B7E", "+8613800138000", 1700000000, 4, ""}),
      blockRecordLine({"电话", "10086", -5, 5, "骚扰电话"}),
      R"({"u":"a","u":"b","d":"17x","r":"5"})",
      R"({"u":123456789012345678,"p":-42,"d":0,"r":4294967295})",
      R"({"u":1234567890123456789,"d":12345678901234567890})",
      R"({"u":-0,"d":05})",
      R"({"d":1.5,"r":1e2})",
      "{\"u\":\"\x7f\",\"p\":\"\xed\xa0\x80\"}",
      "{\"u\":\"\xc0\xaf\"}",
      "{\"u\":\"a\tb\"}",
      R"({"u":"\u0041\n"})",
      R"({"u":"a",})",
      R"({"u":"a"}})",
      R"({"u""a"})",
      R"({"u":"a","x":1})",
      R"({"u":true,"p":null})",
      "{}",
  };
  for (std::string line : lines) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    EXPECT_EQ(parseBlockRecordLine(line), parseBlockRecordLine("{ " + line.substr(1))) << line;
  }
}

}  // namespace
