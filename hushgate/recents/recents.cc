#include "hushgate/recents/recents.h"

#include <algorithm>

namespace {

bool contains(const std::unordered_set<std::string>& ids, const std::string& id) {
  return ids.find(id) != ids.end();
}

}  // namespace

bool isBlockedRecentCall(const RecentCallFacts& call,
                         const std::unordered_set<std::string>& blockedCallUniqueIds) {
  if (call.callStatus != kBlockedCandidateCallStatus) return false;
  if (call.occurrenceUniqueIds.empty()) {
    return call.uniqueId && contains(blockedCallUniqueIds, *call.uniqueId);
  }
  return std::any_of(call.occurrenceUniqueIds.begin(), call.occurrenceUniqueIds.end(),
                     [&](const std::optional<std::string>& id) {
                       return id && contains(blockedCallUniqueIds, *id);
                     });
}

RecentsRowAction deleteRowAction() {
  return {RecentsRowActionKind::Delete, 0, "🗑", colorWithHexString("FF6666")};
}

RecentsRowAction addToBlacklistRowAction() {
  return {RecentsRowActionKind::AddToBlacklist, 1, "🚫", std::nullopt};
}

std::vector<RecentsRowAction> recentsRowActions(const RecentsCellFacts& cell) {
  const bool markedBlocked = cell.callTypeIconVisible && cell.callTypeIconIsBlockIcon;
  if (cell.className != kRecentsTableViewCellClassName || markedBlocked) {
    return {deleteRowAction()};
  }
  return {addToBlacklistRowAction(), deleteRowAction()};
}
