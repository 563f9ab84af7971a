#include "hushgate-gui/core/models/pref_lists.h"

#include <algorithm>

namespace gui {

namespace {

Json& containerCreatingIfAbsent(Json& doc, const std::string& key, Json::value_t type) {
  if (!doc.is_object()) doc = Json::object();
  Json& value = doc[key];
  if (value.type() != type) value = Json(type);
  return value;
}

}  // namespace

Json* arrayOrNull(Json& doc, const std::string& key) {
  if (!doc.is_object()) return nullptr;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_array() ? &*it : nullptr;
}

Json* objectOrNull(Json& doc, const std::string& key) {
  if (!doc.is_object()) return nullptr;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_object() ? &*it : nullptr;
}

const Json& prefObject(const Json& doc, const std::string& key) {
  static const Json kEmpty = Json::object();
  if (!doc.is_object()) return kEmpty;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_object() ? *it : kEmpty;
}

Json& arrayCreatingIfAbsent(Json& doc, const std::string& key) {
  return containerCreatingIfAbsent(doc, key, Json::value_t::array);
}

Json& objectCreatingIfAbsent(Json& doc, const std::string& key) {
  return containerCreatingIfAbsent(doc, key, Json::value_t::object);
}

bool containsString(const Json& list, const std::string& text) {
  if (!list.is_array()) return false;
  return std::any_of(list.begin(), list.end(),
                     [&](const Json& element) { return element.is_string() && element == text; });
}

void appendUnlessPresent(Json& list, const std::string& text) {
  if (list.is_array() && !containsString(list, text)) list.push_back(text);
}

void removeString(Json& list, const std::string& text) {
  if (!list.is_array()) return;
  auto& elements = list.get_ref<Json::array_t&>();
  elements.erase(
      std::remove_if(elements.begin(), elements.end(),
                     [&](const Json& element) { return element.is_string() && element == text; }),
      elements.end());
}

}  // namespace gui
