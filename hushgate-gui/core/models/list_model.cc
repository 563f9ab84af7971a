#include "hushgate-gui/core/models/list_model.h"

#include <algorithm>

#include "hushgate-gui/core/models/list_text.h"
#include "hushgate-gui/core/models/pref_lists.h"
#include "statics/statics.h"

namespace gui {

namespace {

// Element i of an entry array as text; "" when missing or not text.
std::string element(const Json& entry, size_t i) {
  return entry.is_array() && i < entry.size() ? jsonString(entry[i]) : std::string();
}

bool isListed(const Json& list, const ListFamily& family, const std::string& shown) {
  return std::any_of(list.begin(), list.end(), [&](const Json& entry) {
    return family.hasComments() ? entry.is_array() && !entry.empty() && entry[0] == shown
                                : entry == shown;
  });
}

}  // namespace

size_t listSize(const Json& pref, const ListFamily& family) {
  return prefArray(pref, family.prefKey).size();
}

ListRow listRow(const Json& pref, const ListFamily& family, size_t row) {
  const Json& list = prefArray(pref, family.prefKey);
  if (row >= list.size()) return {};
  const Json& entry = list[row];
  if (!family.hasComments()) return {jsonString(entry), std::nullopt};
  return {element(entry, 0), element(entry, 2)};
}

std::string entryComment(const Json& pref, const ListFamily& family, size_t row) {
  const Json& list = prefArray(pref, family.prefKey);
  return row < list.size() ? element(list[row], 2) : std::string();
}

AddResult addEntry(Json& pref, const ListFamily& family, std::string_view input,
                   std::string_view comment) {
  const std::string shown = family.normalise(input);
  if (shown.empty()) return AddResult::kNothing;
  if (family.refusesWildcardRuns && hasWildcardRun(shown)) return AddResult::kFormatNotSupported;
  if (isListed(prefArray(pref, family.prefKey), family, shown)) return AddResult::kDuplicated;
  Json& list = arrayCreatingIfAbsent(pref, family.prefKey);
  if (family.hasComments()) {
    list.push_back(Json::array({shown, family.expression(shown), trimming(comment)}));
  } else {
    list.push_back(shown);
  }
  return AddResult::kAdded;
}

bool editComment(Json& pref, const ListFamily& family, size_t row, std::string_view text) {
  Json* list = arrayOrNull(pref, family.prefKey);
  if (list == nullptr || row >= list->size() || !(*list)[row].is_array()) return false;
  Json entry = (*list)[row];
  while (entry.size() < 3) entry.push_back("");
  entry[2] = trimming(text);
  (*list)[row] = std::move(entry);
  return true;
}

bool removeEntry(Json& pref, const ListFamily& family, size_t row) {
  Json* list = arrayOrNull(pref, family.prefKey);
  if (list == nullptr || row >= list->size()) return false;
  list->erase(row);
  return true;
}

namespace {

// The row of the first entry that shows shown.
std::optional<size_t> rowShowing(const Json& pref, const ListFamily& family,
                                 const std::string& shown) {
  const size_t size = listSize(pref, family);
  for (size_t row = 0; row < size; ++row) {
    if (listRow(pref, family, row).text == shown) return row;
  }
  return std::nullopt;
}

}  // namespace

bool editCommentOfEntryShowing(Json& pref, const ListFamily& family, const std::string& shown,
                               std::string_view text) {
  const std::optional<size_t> row = rowShowing(pref, family, shown);
  return row && editComment(pref, family, *row, text);
}

bool removeEntryShowing(Json& pref, const ListFamily& family, const std::string& shown) {
  const std::optional<size_t> row = rowShowing(pref, family, shown);
  return row && removeEntry(pref, family, *row);
}

void clearList(Json& pref, const ListFamily& family) {
  if (Json* list = arrayOrNull(pref, family.prefKey)) list->clear();
}

}  // namespace gui
