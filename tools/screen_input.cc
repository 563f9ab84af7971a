#include "tools/screen_input.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

#include <unicode/unistr.h>

#include "hushgate/history/recent_blocks.h"
#include "statics/MobileRegionDetector.h"
#include "statics/history_file.h"
#include "statics/json_document.h"

namespace {

// Display width of a text in a terminal: CJK characters take two columns.
size_t displayWidth(const std::string& text) {
  const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  size_t width = 0;
  for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
    const UChar32 c = unicode.char32At(i);
    width += (c >= 0x1100 &&
              (c <= 0x115f || (c >= 0x2e80 && c <= 0xa4cf) || (c >= 0xac00 && c <= 0xd7a3) ||
               (c >= 0xf900 && c <= 0xfaff) || (c >= 0xfe30 && c <= 0xfe4f) ||
               (c >= 0xff00 && c <= 0xff60) || (c >= 0xffe0 && c <= 0xffe6)))
                 ? 2
                 : 1;
  }
  return width;
}

std::string padded(const std::string& text, size_t width) {
  const size_t used = displayWidth(text);
  return text + std::string(used < width ? width - used : 0, ' ');
}

}  // namespace

Result<IncomingCallInfo> parseScreenInputLine(const std::string& line) {
  const Json doc = parseJsonDocument(line).value_or(Json());
  if (!doc.is_object()) return fail("not a JSON object");
  IncomingCallInfo call;
  for (const auto& [key, value] : doc.items()) {
    if (key == "number" || key == "contact" || key == "unique_id") {
      if (value.is_null()) continue;
      if (!value.is_string()) return fail("\"" + key + "\" must be a string");
      const std::string text = value.get<std::string>();
      if (key == "number") call.number = text;
      if (key == "contact") call.contactIdentifier = text;
      if (key == "unique_id") call.uniqueId = text;
    } else if (key == "system_blocked") {
      if (!value.is_boolean()) return fail("\"system_blocked\" must be true or false");
      call.systemBlocked = value.get<bool>();
    }
  }
  return call;
}

InputLine readInputLine(std::istream& in, std::string& line) {
  line.clear();
  bool tooLong = false;
  for (std::istream::int_type c; (c = in.get()) != std::istream::traits_type::eof();) {
    if (c == '\n') return tooLong ? InputLine::kTooLong : InputLine::kLine;
    if (line.size() < kMaxScreenInputLineLength) {
      line.push_back(static_cast<char>(c));
    } else {
      tooLong = true;
      line.clear();
      line.shrink_to_fit();
    }
  }
  if (tooLong) return InputLine::kTooLong;
  return line.empty() ? InputLine::kEnd : InputLine::kLine;
}

ScreeningContext screenContext(LabelLookup labelLookup) {
  ScreeningContext context;
  context.regionLookup = [](const std::string& number) {
    return MobileRegionDetector::sharedInstance().detectRegionCode(number);
  };
  context.placeLookup = [](const std::string& code) {
    return MobileRegionDetector::sharedInstance().placeOfRegionCode(code);
  };
  context.labelLookup = std::move(labelLookup);
  const auto now = std::chrono::system_clock::now();
  context.moment = callMomentAt(now);
  auto blocks = std::make_shared<RecentBlocks>();
  blocks->loadFromHistory(mpHistoryFilePathFromOutside(), context.moment.date);
  context.lastBlockLookup = [blocks](const std::string& number) {
    return blocks->lastBlock(number);
  };
  return context;
}

const char* blockReasonWords(BlockReason reason) {
  switch (reason) {
    case BlockReasonNone:
      return "let through";
    case BlockReasonUnknownNumber:
      return "blocked: no caller number";
    case BlockReasonLandline:
      return "blocked: landline area code";
    case BlockReasonMobile:
      return "blocked: mobile number region";
    case BlockReasonBlacklist:
      return "blocked: blacklist";
    case BlockReasonKeyword:
      return "blocked: caller label keyword";
    case BlockReasonSystem:
      return "blocked: already blocked by the phone";
  }
  return "blocked: unknown reason";
}

void ScreenOutput::add(const std::string& number, const ScreeningResult& result) {
  if (table_) {
    rows_.push_back({number, result});
    return;
  }
  nlohmann::ordered_json line;
  line["number"] = number;
  line["reason"] = static_cast<unsigned>(result.reason);
  line["detail"] = result.detail;
  if (explain_) {
    line["judged"] = result.judgedNumber;
    const auto describe = [](const FiredRule& rule) {
      nlohmann::ordered_json described;
      described["kind"] = ruleKindName(rule.kind);
      described["value"] = rule.value;
      described["place"] = rule.place;
      described["prefix"] = rule.cutPrefix;
      return described;
    };
    line["rule"] = describe(result.rule);
    if (result.overruledReason != BlockReasonNone) {
      line["overruled_reason"] = static_cast<unsigned>(result.overruledReason);
      line["overruled_rule"] = describe(result.overruledRule);
    }
  }
  out_ << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  out_.flush();
}

void ScreenOutput::finish() {
  if (!table_) return;
  size_t numberWidth = std::string("number").size();
  for (const Row& row : rows_) numberWidth = std::max(numberWidth, displayWidth(row.number));
  numberWidth = std::max<size_t>(numberWidth, 7);
  out_ << padded("number", numberWidth) << "  reason  what\n";
  for (const Row& row : rows_) {
    std::string what = blockReasonWords(row.result.reason);
    if (!row.result.detail.empty()) what += " (" + row.result.detail + ")";
    out_ << padded(row.number.empty() ? "(none)" : row.number, numberWidth) << "  "
         << padded(std::to_string(row.result.reason), 6) << "  " << what << '\n';
  }
  out_.flush();
}
