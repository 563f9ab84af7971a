// planImport and applyImport (statics/rules_transfer.h).
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/rules_file.h"
#include "statics/json_document.h"
#include "statics/json_member_lines.h"
#include "statics/pattern_input.h"
#include "statics/rules_transfer.h"
#include "statics/statics.h"

namespace {

std::string quoted(const std::string& text) {
  return Json(text).dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
}

// How the entries of one pattern list are read: the editor's normalising,
// the characters a pattern may hold and the expression stored beside it.
struct PatternGrammar {
  std::string (*normalise)(std::string_view input);
  const char* characters;  // besides a leading "+" when leadingPlus
  bool leadingPlus;
  bool refusesWildcardRuns;
  std::string (*expression)(std::string_view shown);
  const char* kind;  // for messages
};

const PatternGrammar& grammarOf(std::string_view key) {
  static const PatternGrammar kNumbers{normaliseBlacklistInput,
                                       "0123456789*?",
                                       true,
                                       true,
                                       blacklistExpression,
                                       "a number pattern (digits, a leading +, * and ?)"};
  static const PatternGrammar kPrefixes{
      normalisePrefixInput,     "0123456789?", false, false, prefixExpression,
      "a prefix (digits and ?)"};
  return key == kIgnoredPrefixesKey ? kPrefixes : kNumbers;
}

// Why a normalised pattern is refused; "" when it is taken.
std::string patternFault(const PatternGrammar& grammar, const std::string& shown) {
  if (shown.empty()) return "the pattern is empty";
  std::string_view body = shown;
  if (grammar.leadingPlus && body.front() == '+') body.remove_prefix(1);
  if (body.empty() || body.find_first_not_of(grammar.characters) != std::string_view::npos) {
    return quoted(shown) + " is not " + grammar.kind;
  }
  if (grammar.refusesWildcardRuns && hasWildcardRun(shown)) {
    return quoted(shown) + " holds a wildcard run (**, *? or ?*)";
  }
  return "";
}

class Planner {
 public:
  Planner(std::string_view text, const Json& file, const Json& pref)
      : lines_(scanJsonMemberLines(text)), file_(file), pref_(pref) {}

  ImportPlan plan() && {
    for (const char* key : kRulesSwitchKeys) planSwitch(key);
    planMinutes();
    planClockTime(kQuietHoursStartKey);
    planClockTime(kQuietHoursEndKey);
    planDays();
    for (const char* key : kRulesPatternListKeys) planPatternList(key);
    for (const char* key : kRulesTextListKeys) planTextList(key);
    for (const char* key : kRulesCityMapKeys) planCityMap(key);
    std::stable_sort(
        plan_.problems.begin(), plan_.problems.end(),
        [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    return std::move(plan_);
  }

 private:
  const Json* member(const char* key) const {
    const auto it = file_.find(key);
    return it == file_.end() ? nullptr : &*it;
  }

  void problem(size_t line, const char* key, std::string message) {
    plan_.problems.push_back({line, key, std::move(message)});
  }

  void setting(const char* key, const Json& to) {
    const auto it = pref_.is_object() ? pref_.find(key) : pref_.end();
    const bool present = pref_.is_object() && it != pref_.end();
    if (present && *it == to) return;
    plan_.settings.push_back({key, present ? *it : Json(), to});
  }

  void planSwitch(const char* key) {
    const Json* value = member(key);
    if (value == nullptr) return;
    if (!value->is_boolean()) {
      problem(memberLine(lines_, key), key, "not true or false");
    } else if (value->get<bool>() != prefBool(pref_, key)) {
      setting(key, *value);
    }
  }

  void planMinutes() {
    const Json* value = member(kRepeatedCallMinutesKey);
    if (value == nullptr) return;
    if (!value->is_number_integer() || value->get<int64_t>() < kMinRepeatedCallMinutes ||
        value->get<int64_t>() > kMaxRepeatedCallMinutes) {
      problem(memberLine(lines_, kRepeatedCallMinutesKey), kRepeatedCallMinutesKey,
              "not a whole number of minutes from " + std::to_string(kMinRepeatedCallMinutes) +
                  " to " + std::to_string(kMaxRepeatedCallMinutes));
      return;
    }
    setting(kRepeatedCallMinutesKey, *value);
  }

  void planClockTime(const char* key) {
    const Json* value = member(key);
    if (value == nullptr) return;
    if (!value->is_string() || !parseClockTime(value->get_ref<const std::string&>())) {
      problem(memberLine(lines_, key), key, "not a time \"HH:MM\"");
      return;
    }
    setting(key, *value);
  }

  void planDays() {
    const Json* value = member(kQuietHoursDaysKey);
    if (value == nullptr) return;
    if (!value->is_array() || value->empty()) {
      problem(memberLine(lines_, kQuietHoursDaysKey), kQuietHoursDaysKey,
              "not a list of weekdays 1 to 7");
      return;
    }
    for (size_t i = 0; i < value->size(); ++i) {
      const Json& day = (*value)[i];
      if (!day.is_number_integer() || day.get<int64_t>() < 1 || day.get<int64_t>() > 7) {
        problem(elementLine(lines_, kQuietHoursDaysKey, i), kQuietHoursDaysKey,
                "not a weekday 1 to 7");
        return;
      }
    }
    setting(kQuietHoursDaysKey, *value);
  }

  // The member as a list, or nullptr (with a problem when it is something
  // else).
  const Json* listMember(const char* key, bool object = false) {
    const Json* value = member(key);
    if (value == nullptr) return nullptr;
    if (object ? !value->is_object() : !value->is_array()) {
      problem(memberLine(lines_, key), key, object ? "not an object" : "not a list");
      return nullptr;
    }
    return value;
  }

  void planPatternList(const char* key) {
    const Json* list = listMember(key);
    if (list == nullptr) return;
    const PatternGrammar& grammar = grammarOf(key);
    std::unordered_set<std::string> listed;
    for (const Json& entry : prefArray(pref_, key)) {
      if (entry.is_array() && !entry.empty() && entry[0].is_string()) listed.insert(entry[0]);
    }
    ListImport import{key, {}, 0};
    for (size_t i = 0; i < list->size(); ++i) {
      const Json& entry = (*list)[i];
      const auto pattern = entry.is_object() ? entry.find(kRulesPatternKey) : entry.end();
      const auto comment = entry.is_object() ? entry.find(kRulesCommentKey) : entry.end();
      if (!entry.is_object() || pattern == entry.end() || !pattern->is_string() ||
          (comment != entry.end() && !comment->is_string())) {
        problem(elementLine(lines_, key, i), key,
                "not an entry {\"" + std::string(kRulesPatternKey) + "\": TEXT, \"" +
                    kRulesCommentKey + "\": TEXT}");
        continue;
      }
      std::string shown = grammar.normalise(pattern->get_ref<const std::string&>());
      std::string fault = patternFault(grammar, shown);
      if (!fault.empty()) {
        problem(elementLine(lines_, key, i), key, std::move(fault));
        continue;
      }
      if (!listed.insert(shown).second) {
        ++import.alreadyListed;
        continue;
      }
      const std::string note = comment == entry.end() ? "" : trimming(comment->get<std::string>());
      std::string expression = grammar.expression(shown);
      import.added.push_back(patternEntryJson({std::move(shown), std::move(expression), note}));
    }
    plan_.lists.push_back(std::move(import));
  }

  void planTextList(const char* key) {
    const Json* list = listMember(key);
    if (list == nullptr) return;
    const bool keywords = std::string_view(key) == kKeywordsKey;
    std::unordered_set<std::string> listed;
    for (const Json& text : prefArray(pref_, key)) {
      if (text.is_string()) listed.insert(text);
    }
    ListImport import{key, {}, 0};
    for (size_t i = 0; i < list->size(); ++i) {
      const Json& element = (*list)[i];
      std::string text;
      if (element.is_string()) {
        const std::string& raw = element.get_ref<const std::string&>();
        text = keywords ? normaliseKeywordInput(raw) : raw;
      }
      if (text.empty()) {
        problem(elementLine(lines_, key, i), key,
                element.is_string() ? "the entry is empty" : "not a text");
        continue;
      }
      if (!listed.insert(text).second) {
        ++import.alreadyListed;
        continue;
      }
      import.added.push_back(std::move(text));
    }
    plan_.lists.push_back(std::move(import));
  }

  void planCityMap(const char* key) {
    const Json* map = listMember(key, /*object=*/true);
    if (map == nullptr) return;
    const Json* current = nullptr;
    if (pref_.is_object()) {
      const auto it = pref_.find(key);
      if (it != pref_.end() && it->is_object()) current = &*it;
    }
    ListImport import{key, {}, 0};
    for (const auto& [group, cities] : map->items()) {
      if (!cities.is_array()) {
        problem(elementLine(lines_, key, group), key, quoted(group) + " is not a list of cities");
        continue;
      }
      std::unordered_set<std::string> listed;
      if (current != nullptr) {
        for (const Json& city : prefArray(*current, group.c_str())) {
          if (city.is_string()) listed.insert(city);
        }
      }
      for (const Json& city : cities) {
        if (!city.is_string() || city.get_ref<const std::string&>().empty()) {
          problem(elementLine(lines_, key, group), key,
                  "a city of " + quoted(group) + " is not a text");
          continue;
        }
        if (!listed.insert(city).second) {
          ++import.alreadyListed;
          continue;
        }
        import.added.push_back(Json::array({group, city}));
      }
    }
    plan_.lists.push_back(std::move(import));
  }

  const JsonLines lines_;
  const Json& file_;
  const Json& pref_;
  ImportPlan plan_;
};

Json& arrayMember(Json& doc, const std::string& key) {
  Json& value = doc[key];
  if (!value.is_array()) value = Json::array();
  return value;
}

// What an entry is listed by: the pattern shown, or the text.
const Json& listedBy(const Json& entry) {
  return entry.is_array() && !entry.empty() ? entry[0] : entry;
}

void appendNew(Json& list, const std::vector<Json>& entries) {
  std::unordered_set<std::string> listed;
  for (const Json& entry : list) {
    if (listedBy(entry).is_string()) listed.insert(listedBy(entry).get<std::string>());
  }
  for (const Json& entry : entries) {
    if (listedBy(entry).is_string() && listed.insert(listedBy(entry).get<std::string>()).second) {
      list.push_back(entry);
    }
  }
}

bool isCityMapKey(const std::string& key) {
  return std::find(std::begin(kRulesCityMapKeys), std::end(kRulesCityMapKeys), key) !=
         std::end(kRulesCityMapKeys);
}

void appendCities(Json& map, const std::vector<Json>& pairs) {
  if (!map.is_object()) map = Json::object();
  std::unordered_map<std::string, std::vector<Json>> byGroup;
  std::vector<std::string> groups;  // in file order
  for (const Json& pair : pairs) {
    const std::string group = pair[0];
    auto [it, isNew] = byGroup.try_emplace(group);
    if (isNew) groups.push_back(group);
    it->second.push_back(pair[1]);
  }
  for (const std::string& group : groups) appendNew(arrayMember(map, group), byGroup[group]);
}

}  // namespace

size_t ImportPlan::addedCount() const {
  size_t count = 0;
  for (const ListImport& list : lists) count += list.added.size();
  return count;
}

bool ImportPlan::changesNothing() const {
  return addedCount() == 0 && settings.empty();
}

Result<ImportPlan> planImport(std::string_view fileText, const Json& pref) {
  const std::optional<Json> file = parseJsonDocument(fileText);
  if (!file) return fail("the file is not JSON text (or not UTF-8, or too large)");
  if (!file->is_object()) return fail("the file holds no JSON object");
  const auto format = file->find(kRulesFormatKey);
  if (format == file->end() || *format != kRulesFormatName) {
    return fail(std::string("the file is not a rules file: its \"") + kRulesFormatKey +
                "\" is not \"" + kRulesFormatName + "\"");
  }
  const auto version = file->find(kRulesVersionKey);
  if (version == file->end() || !version->is_number_integer() ||
      version->get<int64_t>() != kRulesFileVersion) {
    const std::string given = version == file->end() ? "none" : version->dump();
    return fail("rules file version " + given + " is not supported (this program reads version " +
                std::to_string(kRulesFileVersion) + ")");
  }
  return Planner(fileText, *file, pref).plan();
}

Json applyImport(Json pref, const ImportPlan& plan) {
  if (!pref.is_object()) pref = Json::object();
  for (const ListImport& list : plan.lists) {
    if (list.added.empty()) continue;
    if (isCityMapKey(list.key)) {
      appendCities(pref[list.key], list.added);
    } else {
      appendNew(arrayMember(pref, list.key), list.added);
    }
  }
  for (const SettingImport& setting : plan.settings) pref[setting.key] = setting.to;
  return pref;
}
