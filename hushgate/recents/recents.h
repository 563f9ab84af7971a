// The decisions of the recent-calls list integration in the Phone
// application, as plain data: which rows are marked as blocked, which row
// actions a row offers and what they look like. The hooks map these onto
// the host's table, cells and row actions; the add-to-blacklist URL that a
// row action opens: statics/contracts/blacklist_url.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "statics/statics.h"

// ---- Marking blocked calls

// The recent call status of a call that was not answered.
inline constexpr long long kBlockedCandidateCallStatus = 8;
// The key of a call occurrence's unique id.
inline constexpr char kCallOccurrenceUniqueIdKey[] = "kCHCallOccurrenceUniqueIdKey";

// What the blocked test reads of a recent call.
struct RecentCallFacts {
  long long callStatus = 0;
  // One entry per call occurrence: the text under kCallOccurrenceUniqueIdKey,
  // or nullopt when the occurrence has none.
  std::vector<std::optional<std::string>> occurrenceUniqueIds;
  // uniqueId; nullopt when the call has none.
  std::optional<std::string> uniqueId;
};

// A call is blocked when its status is 8 and either any occurrence's unique
// id is one of the blocked ids or, for a call without occurrences, its own
// unique id is. Each id is looked up once in the set, so a row costs the
// same whatever the size of the history.
bool isBlockedRecentCall(const RecentCallFacts& call,
                         const std::unordered_set<std::string>& blockedCallUniqueIds);

// ---- Row actions

// The cell class whose rows may offer the add-to-blacklist action.
inline constexpr char kRecentsTableViewCellClassName[] = "MPRecentsTableViewCell";

// The editing style that the delete action passes to the host's own
// tableView:commitEditingStyle:forRowAtIndexPath: (UITableViewCellEditingStyleDelete).
inline constexpr int kDeleteEditingStyle = 1;

enum class RecentsRowActionKind { AddToBlacklist, Delete };

// What a row action looks like.
struct RecentsRowAction {
  RecentsRowActionKind kind;
  int style;                             // UITableViewRowActionStyle: 0 default, 1 normal
  std::string title;                     // UTF-8
  std::optional<Color> backgroundColor;  // nullopt: the style's own

  bool operator==(const RecentsRowAction&) const = default;
};

// Delete: style 0, title "🗑", background colour "FF6666". Its handler ends
// the table's editing mode without animation, then commits kDeleteEditingStyle
// for the handler's index path.
RecentsRowAction deleteRowAction();
// Add to blacklist: style 1, title "🚫", the style's own background.
RecentsRowAction addToBlacklistRowAction();

// What the row-action decision reads of a row's cell.
struct RecentsCellFacts {
  std::string_view className;  // the cell's class name; empty when there is no cell
  bool callTypeIconVisible = false;
  // The call-type icon view shows the very block icon object.
  bool callTypeIconIsBlockIcon = false;
};

// The actions of a row, in order: [add to blacklist, delete], or only
// [delete] when the cell is not a recents cell or is marked as blocked (its
// call-type icon visible and showing the block icon).
std::vector<RecentsRowAction> recentsRowActions(const RecentsCellFacts& cell);

// ---- The add-tag alert of the add-to-blacklist action

// The alert is shown this long after the action fires, on the main queue.
inline constexpr double kAddTagAlertDelaySeconds = 0.5;
inline constexpr char kAddTagAlertTitle[] = "设置标签 / Add Tag";
inline constexpr int kAddTagAlertStyle = 1;  // UIAlertControllerStyleAlert
inline constexpr char kAddTagAlertOKTitle[] = "OK";
inline constexpr int kAddTagAlertOKStyle = 0;  // UIAlertActionStyleDefault
