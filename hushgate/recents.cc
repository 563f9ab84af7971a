#include "hushgate/recents.h"

#include <algorithm>

#include "hushgate/unicode_text.h"
#include "statics/format.h"

namespace {

bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool contains(const std::vector<std::string>& ids, const std::string& id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::string urlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string wellFormed = toUtf8(toUnicode(text));
  std::string encoded;
  encoded.reserve(wellFormed.size() * 3);
  for (const char ch : wellFormed) {
    const auto c = static_cast<unsigned char>(ch);
    if (isUnreserved(c)) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string addToBlacklistURL(std::string_view callerId, std::string_view typedLabel) {
  return stringWithFormat(kAddToBlacklistURLFormat, urlEncode(callerId),
                          urlEncode(trimming(typedLabel)));
}

bool isBlockedRecentCall(const RecentCallFacts& call,
                         const std::vector<std::string>& blockedCallUniqueIds) {
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
