// The list editors' operations on the plain model: one list of the
// preference document, chosen by the family. The document is read live (no
// copy): a missing list, or a value that is no array, reads as empty, and the
// first add replaces it with a new list. Nothing here saves; the screen does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "hushgate-gui/core/models/list_family.h"
#include "statics/Preference.h"

namespace gui {

enum class AddResult {
  kAdded,
  kNothing,             // the normalised input is empty
  kFormatNotSupported,  // wildcard runs left (blacklist)
  kDuplicated,          // the pattern, prefix or keyword is listed already
};

// What row i shows: element 0 and the comment, or the keyword.
struct ListRow {
  std::string text;
  std::optional<std::string> detail;  // none for keywords
};

size_t listSize(const Json& pref, const ListFamily& family);
// An entry of another shape shows what it has ("" for what is missing).
ListRow listRow(const Json& pref, const ListFamily& family, size_t row);
// The comment of the entry at row ("" when none).
std::string entryComment(const Json& pref, const ListFamily& family, size_t row);

// Normalises input, refuses or appends [shown, expression, comment trimmed]
// (the keyword alone for keywords; comment is then ignored).
AddResult addEntry(Json& pref, const ListFamily& family, std::string_view input,
                   std::string_view comment);
// Sets element 2 of the entry at row to text trimmed at both ends. False when
// there is no such row or the entry is no array.
bool editComment(Json& pref, const ListFamily& family, size_t row, std::string_view text);
// Removes the entry at row; false when there is no such row.
bool removeEntry(Json& pref, const ListFamily& family, size_t row);
// The same two changes for the entry that shows shown (ListRow::text; the
// first such entry), wherever it stands now: a change made against a row
// the user saw, applied to the document as it is on disk. False when no
// entry shows it.
bool editCommentOfEntryShowing(Json& pref, const ListFamily& family, const std::string& shown,
                               std::string_view text);
bool removeEntryShowing(Json& pref, const ListFamily& family, const std::string& shown);
// Empties the list; a missing list stays missing.
void clearList(Json& pref, const ListFamily& family);

}  // namespace gui
