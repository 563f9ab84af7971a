// exportRules (statics/rules_transfer.h): the rules file text, one list entry
// per line.
#include <string>
#include <vector>

#include "statics/contracts/rules_file.h"
#include "statics/rules_transfer.h"

namespace {

// A value as JSON text; text that is not UTF-8 is written with replacement
// characters rather than failing.
std::string jsonText(const Json& value) {
  return value.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
}

std::string memberText(const char* key, const std::string& valueText) {
  return "  " + jsonText(key) + ": " + valueText;
}

// A list written one element per line.
std::string listText(const std::vector<std::string>& elements) {
  if (elements.empty()) return "[]";
  std::string text = "[\n";
  for (size_t i = 0; i < elements.size(); ++i) {
    text += "    " + elements[i] + (i + 1 < elements.size() ? ",\n" : "\n");
  }
  return text + "  ]";
}

std::vector<std::string> textElements(const Json& list) {
  std::vector<std::string> elements;
  for (const Json& element : list) {
    if (element.is_string()) elements.push_back(jsonText(element));
  }
  return elements;
}

std::string patternListText(const Json& list) {
  std::vector<std::string> elements;
  for (const Json& element : list) {
    const std::optional<PatternEntry> entry = readPatternEntry(element);
    if (!entry) continue;
    elements.push_back("{" + jsonText(kRulesPatternKey) + ": " + jsonText(entry->pattern) + ", " +
                       jsonText(kRulesCommentKey) + ": " + jsonText(entry->comment) + "}");
  }
  return listText(elements);
}

// One group per line: "group": ["city", ...].
std::string cityMapText(const Json& map) {
  std::vector<std::string> groups;
  if (map.is_object()) {
    for (const auto& [group, cities] : map.items()) {
      if (!cities.is_array()) continue;
      std::string line = jsonText(group) + ": [";
      const std::vector<std::string> keys = textElements(cities);
      for (size_t i = 0; i < keys.size(); ++i) line += (i > 0 ? ", " : "") + keys[i];
      groups.push_back(line + "]");
    }
  }
  if (groups.empty()) return "{}";
  std::string text = "{\n";
  for (size_t i = 0; i < groups.size(); ++i) {
    text += "    " + groups[i] + (i + 1 < groups.size() ? ",\n" : "\n");
  }
  return text + "  }";
}

// Whether a stored value has the JSON type its key takes.
bool hasValueType(const char* key, const Json& value) {
  if (std::string_view(key) == kRepeatedCallMinutesKey) return value.is_number_integer();
  if (std::string_view(key) == kQuietHoursDaysKey) return value.is_array();
  return value.is_string();
}

}  // namespace

std::string exportRules(const Json& pref) {
  std::vector<std::string> members;
  members.push_back(memberText(kRulesFormatKey, jsonText(kRulesFormatName)));
  members.push_back(memberText(kRulesVersionKey, std::to_string(kRulesFileVersion)));
  for (const char* key : kRulesSwitchKeys) {
    members.push_back(memberText(key, prefBool(pref, key) ? "true" : "false"));
  }
  if (pref.is_object()) {
    for (const char* key : kRulesValueKeys) {
      const auto it = pref.find(key);
      if (it != pref.end() && hasValueType(key, *it))
        members.push_back(memberText(key, jsonText(*it)));
    }
  }
  for (const char* key : kRulesPatternListKeys) {
    members.push_back(memberText(key, patternListText(prefArray(pref, key))));
  }
  for (const char* key : kRulesTextListKeys) {
    members.push_back(memberText(key, listText(textElements(prefArray(pref, key)))));
  }
  for (const char* key : kRulesCityMapKeys) {
    const Json* map = nullptr;
    if (pref.is_object()) {
      const auto it = pref.find(key);
      if (it != pref.end()) map = &*it;
    }
    members.push_back(memberText(key, cityMapText(map != nullptr ? *map : Json::object())));
  }
  std::string text = "{\n";
  for (size_t i = 0; i < members.size(); ++i) {
    text += members[i] + (i + 1 < members.size() ? ",\n" : "\n");
  }
  return text + "}\n";
}
