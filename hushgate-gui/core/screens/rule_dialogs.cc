#include "hushgate-gui/core/screens/rule_dialogs.h"

#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "statics/Preference.h"

namespace gui {

namespace {

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string storedText(const Json& pref, const char* key) {
  const auto it = pref.find(key);
  return it != pref.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::optional<int> repeatedCallMinutesFromInput(std::string_view input) {
  const std::string_view text = trimmed(input);
  int minutes = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), minutes);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  if (minutes < kMinRepeatedCallMinutes || minutes > kMaxRepeatedCallMinutes) return std::nullopt;
  return minutes;
}

std::optional<QuietHours> quietHoursFromInput(std::string_view start, std::string_view end,
                                              std::string_view days) {
  const std::optional<int> startMinute = parseClockTime(trimmed(start));
  const std::optional<int> endMinute = parseClockTime(trimmed(end));
  const std::optional<std::array<bool, 8>> weekdays = weekdaysFromInput(days);
  if (!startMinute || !endMinute || !weekdays) return std::nullopt;
  return QuietHours{*startMinute, *endMinute, *weekdays};
}

void showRepeatedCallMinutesDialog(std::function<void()> onSaved) {
  const OptionalSetting<int> stored =
      storedRepeatedCallMinutes(Preference::sharedInstance().pref());
  const std::string shown =
      std::to_string(stored.on() ? stored.value : kDefaultRepeatedCallMinutes);
  AlertUtil::showForm(
      localizedString("repeated-call-minutes-title"),
      localizedString("repeated-call-minutes-message"),
      {{localizedString("repeated-call-minutes-placeholder"), shown, KeyboardType::NumberPad}},
      [onSaved = std::move(onSaved)](const std::vector<std::string>& texts) {
        const std::optional<int> minutes = repeatedCallMinutesFromInput(texts[0]);
        if (!minutes) {
          AlertUtil::showInfo(localizedString("repeated-call-minutes-invalid"), std::nullopt);
          return;
        }
        if (changePref([&](Json& pref) {
              if (!pref.is_object()) pref = Json::object();
              pref[kRepeatedCallMinutesKey] = *minutes;
            }) &&
            onSaved) {
          onSaved();
        }
      });
}

void showQuietHoursDialog(std::function<void()> onSaved) {
  const Json& pref = Preference::sharedInstance().pref();
  const OptionalSetting<QuietHours> stored = storedQuietHours(pref);
  std::array<bool, 8> everyDay{};
  everyDay.fill(true);
  std::vector<FormField> fields{
      {localizedString("quiet-hours-start-placeholder"), storedText(pref, kQuietHoursStartKey),
       KeyboardType::NumbersAndPunctuation},
      {localizedString("quiet-hours-end-placeholder"), storedText(pref, kQuietHoursEndKey),
       KeyboardType::NumbersAndPunctuation},
      {localizedString("quiet-hours-days-placeholder"),
       weekdaysText(stored.on() ? stored.value.days : everyDay), KeyboardType::NumberPad},
  };
  AlertUtil::showForm(
      localizedString("quiet-hours-title"), localizedString("quiet-hours-message"),
      std::move(fields), [onSaved = std::move(onSaved)](const std::vector<std::string>& texts) {
        const std::optional<QuietHours> window = quietHoursFromInput(texts[0], texts[1], texts[2]);
        if (!window) {
          AlertUtil::showInfo(localizedString("quiet-hours-invalid"), std::nullopt);
          return;
        }
        if (changePref([&](Json& pref) {
              if (!pref.is_object()) pref = Json::object();
              writeQuietHours(pref, *window);
            }) &&
            onSaved) {
          onSaved();
        }
      });
}

}  // namespace gui
