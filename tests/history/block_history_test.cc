#include "hushgate/history/block_history.h"
#include "statics/history_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/bundle.h"
#include "statics/contracts/block_record.h"
#include "statics/json_document.h"
#include "support/temp_root.h"

namespace {

using Ids = std::vector<std::string>;

constexpr char kHistoryDevicePath[] =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/hushgate-history.txt";

// An object whose "x" holds arrays nested levels deep, the innermost holding
// inner, and "u": "deep".
std::string nested(int levels, std::string_view inner = "") {
  return "{\"x\":" + std::string(size_t(levels), '[') + std::string(inner) +
         std::string(size_t(levels), ']') + ",\"u\":\"deep\"}";
}

std::string line(const std::string& uniqueId) {
  return blockRecordLine({uniqueId, "10086", 1700000000, 4, ""});
}

TEST(BlockedCallUniqueIdsTest, KeepsTheIdsOfValidRecordsInOrder) {
  const struct {
    const char* name;
    std::string text;
    Ids ids;
  } cases[] = {
      {"empty file", "", {}},
      {"only line feeds", "\n\n\n", {}},
      {"trailing line feed", line("a") + line("b"), {"a", "b"}},
      {"no trailing line feed", line("a") + R"({"u":"b"})", {"a", "b"}},
      {"blank lines between", "\n" + line("a") + "\n\n" + line("b") + "\n", {"a", "b"}},
      {"torn last line", line("a") + line("b") + R"({"u":"c","p":"1)", {"a", "b"}},
      {"torn line in the middle", line("a") + R"({"u":"x",)" + "\n" + line("b"), {"a", "b"}},
      {"CRLF line ends",
       R"({"u":"a"})"
       "\r\n"
       R"({"u":"b"})"
       "\r\n",
       {"a", "b"}},
      {"duplicates kept", line("a") + line("b") + line("a"), {"a", "b", "a"}},
      {"record without u",
       line("a") +
           R"({"p":"1","r":4})"
           "\n" +
           line("b"),
       {"a", "b"}},
      // A number reads as its text, as every reader of the record reads it;
      // other values name no call.
      {"u not text",
       R"({"u":5})"
       "\n"
       R"({"u":null})"
       "\n"
       R"({"u":["a"]})"
       "\n" +
           line("b"),
       {"5", "b"}},
      {"empty u", line("") + line("b"), {"b"}},
      {"not objects", "[\"a\"]\n\"a\"\n42\n" + line("b"), {"b"}},
      {"garbage", "not json at all\n" + line("a") + "}{\n", {"a"}},
      {"bad bytes stay in their line", line("a") + "{\"u\":\"\xff\"}\n" + line("b"), {"a", "b"}},
      {"unknown members ignored",
       R"({"u":"a","x":{"y":[1,2]},"v":3})"
       "\n",
       {"a"}},
      {"Chinese ids", line("电话-1") + line("电话-2"), {"电话-1", "电话-2"}},
      {"nul byte line", std::string("\0\n", 2) + line("a"), {"a"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(blockedCallUniqueIdsFromHistory(c.text), c.ids) << c.name;
  }
}

TEST(BlockedCallUniqueIdsTest, ReadsOnlyTheTopLevelUniqueId) {
  const struct {
    std::string line;
    Ids ids;
  } cases[] = {
      {R"({"a":{"u":"inner"}})", {}},
      {R"({"x":[{"u":"no"}],"u":"yes"})", {"yes"}},
      {R"({"u":"yes","x":[{"u":"no"}]})", {"yes"}},
      {R"({"u":{"x":"y"}})", {}},
      {R"({"u":"a","u":{}})", {}},
      {R"({"u":{},"u":"b"})", {"b"}},
      {R"({"u":"a","u":7})", {"7"}},
      {R"({"u":7,"u":"b"})", {"b"}},
      {R"({"u":"a","u":"b"})", {"b"}},
      {R"({"u":"a"} x)", {}},
      {R"({"u":"a"}{"u":"b"})", {}},
      {R"([{"u":"a"}])", {}},
      {R"("u")", {}},
      {R"({"u":"\u00e9\n"})", {"é\n"}},
      {R"({"u":"a","p":1e400})", {}},
      {std::string(100000, '[') + std::string(100000, ']'), {}},
      // As deep as any reader goes, and one level deeper.
      {nested(kMaxJsonDepth), {"deep"}},
      {nested(kMaxJsonDepth + 1), {}},
      {nested(kMaxJsonDepth - 1, "1"), {"deep"}},
      {nested(kMaxJsonDepth, "1"), {}},
      {nested(kMaxJsonDepth - 1, "{\"k\":1}"), {}},
      {nested(kMaxJsonDepth - 2, "{\"k\":1}"), {"deep"}},
      {nested(100000), {}},
  };
  for (const auto& c : cases) {
    const Ids ids = blockedCallUniqueIdsFromHistory(c.line);
    EXPECT_EQ(ids, c.ids) << c.line.substr(0, 80);
    // The loader reads as the full record parser does.
    const std::optional<BlockRecord> record = parseBlockRecordLine(c.line);
    EXPECT_EQ(ids, record && !record->uniqueId.empty() ? Ids{record->uniqueId} : Ids{})
        << c.line.substr(0, 80);
  }
}

TEST(BlockHistoryPathTest, PhoneContainerDocuments) {
  testing_support::TempDeviceRoot root;
  EXPECT_EQ(mpHistoryFilePathInContainer("/x/y"), "/x/y/Documents/hushgate-history.txt");
  EXPECT_EQ(mpHistoryFilePathFromOutside(), root.at(kHistoryDevicePath));

  const std::string previous = platform::mainBundleIdentifier();
  platform::setMainBundleIdentifier("com.apple.mobilephone",
                                    platform::HomeDirectory::kDataContainer);
  EXPECT_EQ(mpHistoryFilePathInPhoneApplication(), root.at(kHistoryDevicePath));
  platform::setMainBundleIdentifier(previous);
}

TEST(LoadMPBlockHistoryTest, ReadsTheFile) {
  testing_support::TempDeviceRoot root;
  const std::string path = root.at(kHistoryDevicePath);
  EXPECT_EQ(loadMPBlockHistory(path), Ids{}) << "missing file";
  EXPECT_EQ(loadMPBlockHistory(""), Ids{});
  EXPECT_EQ(loadMPBlockHistory(root.path()), Ids{}) << "a folder";

  root.write(kHistoryDevicePath, line("a") + "\n" + line("b") + R"({"u":"c)");
  EXPECT_EQ(loadMPBlockHistory(path), (Ids{"a", "b"}));
}

TEST(LoadMPBlockHistoryTest, HundredThousandRecords) {
  testing_support::TempDeviceRoot root;
  constexpr size_t kRecords = 100000;
  std::string text;
  text.reserve(kRecords * 120);
  for (size_t i = 0; i < kRecords; ++i) {
    text += blockRecordLine({"5D3F2A1C-0B7E-4C1D-9E2F-" + std::to_string(100000000000 + i),
                             "+8613800138000", int64_t(1700000000 + i), unsigned(i % 5 + 1),
                             i % 5 == 4 ? "骚扰电话" : ""});
  }
  root.write(kHistoryDevicePath, text);

  const auto start = std::chrono::steady_clock::now();
  const Ids ids = loadMPBlockHistory(root.at(kHistoryDevicePath));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
  std::printf("loading %zu records (%zu bytes) took %.1f ms\n", kRecords, text.size(), ms);
  RecordProperty("load_ms", std::to_string(ms));

  ASSERT_EQ(ids.size(), kRecords);
  EXPECT_EQ(ids.front(), "5D3F2A1C-0B7E-4C1D-9E2F-100000000000");
  EXPECT_EQ(ids.back(), "5D3F2A1C-0B7E-4C1D-9E2F-100000099999");
  // Generous even for sanitizer builds; a quadratic loader would take minutes.
  EXPECT_LT(ms, 10000);
}

// A record line of exactly size bytes (without its "\n"), padded in "rd".
std::string lineOfSize(const std::string& uniqueId, size_t size) {
  std::string text = blockRecordLine({uniqueId, "10086", 1700000000, 5, ""});
  text.pop_back();
  return blockRecordLine({uniqueId, "10086", 1700000000, 5, std::string(size - text.size(), 'x')});
}

TEST(BlockHistoryLineLimitTest, LinesOverTheLimitAreBadLines) {
  const struct {
    size_t size;
    bool read;
  } cases[] = {
      {kMaxBlockRecordLineBytes - 1, true},
      {kMaxBlockRecordLineBytes, true},
      {kMaxBlockRecordLineBytes + 1, false},
      {kMaxBlockRecordLineBytes * 40, false},
  };
  testing_support::TempDeviceRoot root;
  const std::string path = root.at(kHistoryDevicePath);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string longLine = lineOfSize("long", c.size);
    ASSERT_EQ(longLine.size(), c.size + 1);
    const std::string text = line("a") + longLine + line("b");
    const Ids expected = c.read ? Ids{"a", "long", "b"} : Ids{"a", "b"};
    EXPECT_EQ(parseBlockRecordLine(longLine.substr(0, c.size)).has_value(), c.read);
    EXPECT_EQ(blockedCallUniqueIdsFromHistory(text), expected);
    root.write(kHistoryDevicePath, text);
    EXPECT_EQ(loadMPBlockHistory(path), expected);
    MPBlockHistory history(path);
    history.load();
    EXPECT_EQ(history.blockedCallUniqueIds(),
              BlockedCallUniqueIds(expected.begin(), expected.end()));
  }
}

TEST(BlockHistoryLineLimitTest, AFileOfAnySizeIsReadAroundItsHugeLine) {
  // A record, a line of 300 MiB (a hole of the file system: no disk taken),
  // and a record: more than any reader can hold at once.
  testing_support::TempDeviceRoot root;
  const std::string path = root.at(kHistoryDevicePath);
  root.write(kHistoryDevicePath, line("a"));
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  const off_t hugeEnd = off_t(line("a").size()) + (off_t(300) << 20);
  ASSERT_EQ(::ftruncate(fd, hugeEnd), 0);
  const std::string rest = "\n" + line("b");
  ASSERT_EQ(::write(fd, rest.data(), rest.size()), ssize_t(rest.size()));
  ::close(fd);

  EXPECT_EQ(loadMPBlockHistory(path), (Ids{"a", "b"}));
  MPBlockHistory history(path);
  history.load();
  EXPECT_EQ(history.blockedCallUniqueIds(), (BlockedCallUniqueIds{"a", "b"}));
}

TEST(MPBlockHistoryTest, ReadsOnlyWhatWasAppendedSinceUnlessTheFileWasReplaced) {
  testing_support::TempDeviceRoot root;
  const std::string path = root.at(kHistoryDevicePath);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  MPBlockHistory history(path);
  const auto append = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::app | std::ios::binary) << bytes;
  };
  const auto replace = [&](const std::string& bytes) {
    const std::string next = path + ".next";
    std::ofstream(next, std::ios::binary) << bytes;
    ASSERT_EQ(std::rename(next.c_str(), path.c_str()), 0);
  };
  const auto truncate = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::trunc | std::ios::binary) << bytes;
  };
  const auto remove = [&](const std::string&) { std::remove(path.c_str()); };
  const struct {
    const char* name;
    std::function<void(const std::string&)> change;
    std::string bytes;
    BlockedCallUniqueIds ids;
    size_t bytesRead;  // up to the last line end read
  } steps[] = {
      {"no file yet", append, "", {}, 0},
      {"first load reads all", append, line("a") + line("b"), {"a", "b"}, 2 * line("a").size()},
      {"one appended", append, line("c"), {"a", "b", "c"}, line("c").size()},
      {"nothing new", append, "", {"a", "b", "c"}, 0},
      {"a record being written", append, R"({"u":"d","p":)", {"a", "b", "c"}, 0},
      {"its end arrives",
       append,
       R"("1"})"
       "\n",
       {"a", "b", "c", "d"},
       std::string(R"({"u":"d","p":"1"})"
                   "\n")
           .size()},
      {"replaced by the settings application",
       replace,
       line("a") + line("e"),
       {"a", "e"},
       2 * line("a").size()},
      {"emptied in place and refilled shorter", truncate, line("f"), {"f"}, line("f").size()},
      {"removed", remove, "", {}, 0},
      {"made again", append, line("g"), {"g"}, line("g").size()},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    step.change(step.bytes);
    history.load();
    EXPECT_EQ(history.blockedCallUniqueIds(), step.ids);
    EXPECT_EQ(history.bytesReadByLastLoad(), step.bytesRead);
  }
}

}  // namespace
