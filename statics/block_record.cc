#include "statics/block_record.h"

#include <cmath>
#include <limits>

#include "statics/json_document.h"

namespace {

std::string textMember(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A JSON number as an integer in [low, high], fractions cut toward zero. A
// value outside is clamped when saturate is set and reads as 0 otherwise;
// anything but a number reads as 0.
int64_t integerMember(const nlohmann::json& object, const char* key, int64_t low, int64_t high,
                      bool saturate) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return 0;
  const auto fit = [&](bool below, bool above, int64_t value) -> int64_t {
    if (!below && !above) return value;
    if (!saturate) return 0;
    return below ? low : high;
  };
  if (it->is_number_unsigned()) {
    const uint64_t value = it->get<uint64_t>();
    return fit(false, value > uint64_t(high), int64_t(value));
  }
  if (it->is_number_integer()) {
    const int64_t value = it->get<int64_t>();
    return fit(value<low, value> high, value);
  }
  const double value = std::trunc(it->get<double>());
  if (std::isnan(value)) return 0;
  if (value < -0x1p63) return fit(true, false, 0);  // 2^63 is exact as a double
  if (value >= 0x1p63) return fit(false, true, 0);
  const auto whole = int64_t(value);
  return fit(whole<low, whole> high, whole);
}

}  // namespace

int64_t blockRecordDate(std::chrono::system_clock::time_point when) {
  return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string blockRecordLine(const BlockRecord& record) {
  const nlohmann::json object = {
      {"u", record.uniqueId}, {"p", record.number},  {"d", record.date},
      {"r", record.reason},   {"rd", record.detail},
  };
  std::string line =
      object.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
  line += '\n';
  return line;
}

std::optional<BlockRecord> parseBlockRecordLine(std::string_view line) {
  const std::optional<nlohmann::json> parsed = parseJsonDocument(line);
  if (!parsed || !parsed->is_object()) return std::nullopt;
  BlockRecord record;
  record.uniqueId = textMember(*parsed, "u");
  record.number = textMember(*parsed, "p");
  record.date = integerMember(*parsed, "d", std::numeric_limits<int64_t>::min(),
                              std::numeric_limits<int64_t>::max(), /*saturate=*/true);
  record.reason = unsigned(integerMember(*parsed, "r", 0, std::numeric_limits<unsigned>::max(),
                                         /*saturate=*/false));
  record.detail = textMember(*parsed, "rd");
  return record;
}
