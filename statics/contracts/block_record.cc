#include "statics/contracts/block_record.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

#include <nlohmann/json.hpp>

#include "statics/json_document.h"
#include "statics/utf8.h"

namespace {

constexpr char kUniqueIdKey[] = "u";
constexpr char kNumberKey[] = "p";
constexpr char kDateKey[] = "d";
constexpr char kReasonKey[] = "r";
constexpr char kDetailKey[] = "rd";

constexpr int64_t kSmallestDate = std::numeric_limits<int64_t>::min();
constexpr int64_t kLargestDate = std::numeric_limits<int64_t>::max();

bool isKnownKey(std::string_view key) {
  return key == kUniqueIdKey || key == kNumberKey || key == kDateKey || key == kReasonKey ||
         key == kDetailKey;
}

// A whole number saturated to int64_t.
int64_t saturated(double value) {
  if (std::isnan(value)) return 0;
  value = std::trunc(value);
  if (value < -0x1p63) return kSmallestDate;  // 2^63 is exact as a double
  if (value >= 0x1p63) return kLargestDate;
  return int64_t(value);
}

// A reason code: negative or beyond unsigned is no reason.
unsigned reasonOf(int64_t value) {
  return value < 0 || uint64_t(value) > std::numeric_limits<unsigned>::max() ? 0 : unsigned(value);
}

// Reads one line into a BlockRecord without building the document: the
// Phone side reads the whole history on every added record. Members at the
// top level are taken by the rule of parseBlockRecordLine; a member whose
// value is an object or an array reads as "" or 0 and its content is
// skipped. Unknown members are only noted here; the caller collects them.
class BlockRecordReader final : public nlohmann::json_sax<nlohmann::json> {
 public:
  static std::optional<BlockRecord> read(std::string_view line, bool& hasOtherMembers) {
    BlockRecordReader reader;
    const bool parsed = nlohmann::json::sax_parse(line.begin(), line.end(), &reader,
                                                  nlohmann::json::input_format_t::json,
                                                  /*strict=*/true);
    if (!parsed || !reader.wasObject_) return std::nullopt;
    hasOtherMembers = reader.hasOtherMembers_;
    return std::move(reader.record_);
  }

  bool null() override { return scalar(std::string(), 0); }
  bool boolean(bool) override { return scalar(std::string(), 0); }
  bool binary(binary_t&) override { return scalar(std::string(), 0); }
  bool number_integer(number_integer_t value) override {
    return scalar(std::to_string(value), value);
  }
  bool number_unsigned(number_unsigned_t value) override {
    return scalar(std::to_string(value),
                  value > uint64_t(kLargestDate) ? kLargestDate : int64_t(value));
  }
  bool number_float(number_float_t value, const string_t&) override {
    return scalar(nlohmann::json(value).dump(), saturated(value));
  }
  bool string(string_t& text) override {
    if (depth_ != 1) return depth_ != 0 && !tooDeep();  // a bare text is no record
    // NSString's integerValue: leading white space, a sign and digits;
    // strtoll saturates like it.
    const int64_t number = std::strtoll(text.c_str(), nullptr, 10);
    return scalar(std::move(text), number);
  }
  bool start_object(std::size_t) override { return start(true); }
  bool start_array(std::size_t) override { return start(false); }
  bool end_object() override { return end(); }
  bool end_array() override { return end(); }
  bool key(string_t& name) override {
    if (tooDeep()) return false;
    if (depth_ != 1) return true;
    member_ = memberOf(name);
    if (member_ == Member::kOther) hasOtherMembers_ = true;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  enum class Member { kNone, kUniqueId, kNumber, kDate, kReason, kDetail, kOther };

  static Member memberOf(std::string_view name) {
    if (name == kUniqueIdKey) return Member::kUniqueId;
    if (name == kNumberKey) return Member::kNumber;
    if (name == kDateKey) return Member::kDate;
    if (name == kReasonKey) return Member::kReason;
    if (name == kDetailKey) return Member::kDetail;
    return Member::kOther;
  }

  // Where parseJsonDocument stops: an event inside more than kMaxJsonDepth
  // open containers.
  bool tooDeep() const { return depth_ > kMaxJsonDepth; }

  // A member's value: as text for the text members, as a number for the
  // others.
  bool scalar(std::string text, int64_t number) {
    if (depth_ == 0 || tooDeep()) return false;  // a scalar, not an object
    if (depth_ == 1) assign(std::move(text), number);
    return true;
  }
  void assign(std::string text, int64_t number) {
    switch (member_) {
      case Member::kUniqueId:
        record_.uniqueId = std::move(text);
        break;
      case Member::kNumber:
        record_.number = std::move(text);
        break;
      case Member::kDetail:
        record_.detail = std::move(text);
        break;
      case Member::kDate:
        record_.date = number;
        break;
      case Member::kReason:
        record_.reason = reasonOf(number);
        break;
      case Member::kNone:
      case Member::kOther:
        break;
    }
    member_ = Member::kNone;
  }
  bool start(bool object) {
    if (tooDeep()) return false;
    if (depth_ == 0) {
      if (!object) return false;
      wasObject_ = true;
    } else if (depth_ == 1) {
      assign(std::string(), 0);  // a container where a member wants a scalar
    }
    ++depth_;
    return true;
  }
  bool end() {
    --depth_;
    return true;
  }

  int depth_ = 0;
  bool wasObject_ = false;
  bool hasOtherMembers_ = false;
  Member member_ = Member::kNone;
  BlockRecord record_;
};

// A string of the plain kind at line[at] (no escape, no control character,
// well-formed UTF-8), its content; at moves past it. nullopt otherwise.
std::optional<std::string_view> plainString(std::string_view line, size_t& at) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  bool ascii = true;
  for (size_t end = at + 1; end < line.size(); ++end) {
    const auto c = static_cast<unsigned char>(line[end]);
    if (c == '"') {
      const std::string_view text = line.substr(at + 1, end - at - 1);
      if (!ascii && !isWellFormedUtf8(text)) return std::nullopt;
      at = end + 1;
      return text;
    }
    if (c < 0x20 || c == '\\') return std::nullopt;
    if (c >= 0x80) ascii = false;
  }
  return std::nullopt;
}

// An integer of at most 18 digits at line[at], without fraction or exponent
// and without a leading zero (but "0"); at moves past it.
std::optional<int64_t> plainInteger(std::string_view line, size_t& at) {
  size_t end = at;
  const bool negative = end < line.size() && line[end] == '-';
  if (negative) ++end;
  const size_t first = end;
  int64_t value = 0;
  // A 19th digit is counted (and refused below), never added: it could
  // overflow.
  while (end < line.size() && line[end] >= '0' && line[end] <= '9' && end - first < 19) {
    if (end - first < 18) value = value * 10 + (line[end] - '0');
    ++end;
  }
  const size_t digits = end - first;
  if (digits == 0 || digits > 18 || (line[first] == '0' && (digits > 1 || negative)))
    return std::nullopt;
  if (end < line.size() && (line[end] == '.' || line[end] == 'e' || line[end] == 'E'))
    return std::nullopt;
  at = end;
  return negative ? -value : value;
}

// The record of a line of the plain kind that the writer writes: compact,
// only the members of the format, strings plain (plainString), numbers
// plain (plainInteger). Read as BlockRecordReader reads it, only faster;
// nullopt for any other line, which BlockRecordReader then reads.
std::optional<BlockRecord> readPlainLine(std::string_view line) {
  BlockRecord record;
  size_t at = 1;
  if (line.size() < 2 || line[0] != '{') return std::nullopt;
  if (line[1] == '}') return line.size() == 2 ? std::optional(record) : std::nullopt;
  for (;;) {
    const std::optional<std::string_view> key = plainString(line, at);
    if (!key || at >= line.size() || line[at] != ':') return std::nullopt;
    ++at;
    const bool isText = *key == kUniqueIdKey || *key == kNumberKey || *key == kDetailKey;
    if (!isText && *key != kDateKey && *key != kReasonKey) return std::nullopt;
    std::string text;
    int64_t number = 0;
    if (at < line.size() && line[at] == '"') {
      const std::optional<std::string_view> value = plainString(line, at);
      if (!value) return std::nullopt;
      text = std::string(*value);
      if (!isText) number = std::strtoll(text.c_str(), nullptr, 10);
    } else {
      const std::optional<int64_t> value = plainInteger(line, at);
      if (!value) return std::nullopt;
      number = *value;
      if (isText) text = std::to_string(number);
    }
    if (*key == kUniqueIdKey) record.uniqueId = std::move(text);
    if (*key == kNumberKey) record.number = std::move(text);
    if (*key == kDetailKey) record.detail = std::move(text);
    if (*key == kDateKey) record.date = number;
    if (*key == kReasonKey) record.reason = reasonOf(number);
    if (at >= line.size()) return std::nullopt;
    if (line[at] == '}') return at + 1 == line.size() ? std::optional(record) : std::nullopt;
    if (line[at] != ',') return std::nullopt;
    ++at;
  }
}

std::string compactJson(const nlohmann::json& value) {
  return value.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
}

// The unknown members of a line, as compact object text.
std::string otherMembersOf(std::string_view line) {
  std::optional<nlohmann::json> parsed = parseJsonDocument(line);
  if (!parsed || !parsed->is_object()) return {};
  nlohmann::json others = nlohmann::json::object();
  for (auto& [key, value] : parsed->items()) {
    if (!isKnownKey(key)) others[key] = std::move(value);
  }
  return others.empty() ? std::string() : compactJson(others);
}

// text cut to at most size bytes, at the start of a UTF-8 character.
void shortenText(std::string& text, size_t size) {
  if (text.size() <= size) return;
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  text.resize(size);
}

}  // namespace

size_t BlockRecordHash::operator()(const BlockRecord& record) const {
  const std::hash<std::string> text;
  size_t hash = text(record.uniqueId);
  for (const size_t part :
       {text(record.number), std::hash<int64_t>()(record.date),
        std::hash<unsigned>()(record.reason), text(record.detail), text(record.otherMembers)}) {
    hash ^= part + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
  }
  return hash;
}

BlockRecord blockRecordFittingLine(BlockRecord record) {
  // The "\n" is not counted.
  const auto fits = [](const BlockRecord& r) {
    return blockRecordLine(r).size() <= kMaxBlockRecordLineBytes + 1;
  };
  if (fits(record)) return record;
  record.otherMembers.clear();
  while (!fits(record)) {
    std::string* longest = &record.detail;
    for (std::string* text : {&record.number, &record.uniqueId}) {
      if (text->size() > longest->size()) longest = text;
    }
    shortenText(*longest, longest->size() / 2);
  }
  return record;
}

int64_t blockRecordDate(std::chrono::system_clock::time_point when) {
  return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string blockRecordLine(const BlockRecord& record) {
  nlohmann::json object = {
      {kUniqueIdKey, record.uniqueId}, {kNumberKey, record.number}, {kDateKey, record.date},
      {kReasonKey, record.reason},     {kDetailKey, record.detail},
  };
  if (!record.otherMembers.empty()) {
    std::optional<nlohmann::json> others = parseJsonDocument(record.otherMembers);
    if (others && others->is_object()) {
      for (auto& [key, value] : others->items()) {
        if (!isKnownKey(key)) object[key] = std::move(value);
      }
    }
  }
  std::string line = compactJson(object);
  line += '\n';
  return line;
}

std::optional<BlockRecord> parseBlockRecordLine(std::string_view line) {
  if (line.size() > kMaxBlockRecordLineBytes) return std::nullopt;
  if (std::optional<BlockRecord> plain = readPlainLine(line)) return plain;
  bool hasOtherMembers = false;
  std::optional<BlockRecord> record = BlockRecordReader::read(line, hasOtherMembers);
  if (record && hasOtherMembers) record->otherMembers = otherMembersOf(line);
  return record;
}

std::vector<BlockRecord> parseBlockHistory(std::string_view text) {
  std::vector<BlockRecord> records;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (std::optional<BlockRecord> record = parseBlockRecordLine(line)) {
      records.push_back(std::move(*record));
    }
  }
  return records;
}

std::string blockHistoryText(const std::vector<BlockRecord>& records) {
  std::string text;
  for (const BlockRecord& record : records) text += blockRecordLine(record);
  return text;
}
