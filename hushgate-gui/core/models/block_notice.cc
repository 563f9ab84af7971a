#include "hushgate-gui/core/models/block_notice.h"

#include <algorithm>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/list_text.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/desktop_notifications.h"
#include "statics/format.h"

namespace gui {

namespace {

std::string numberText(const HistoryRecord& call) {
  return call.number.empty() ? localizedString("history-no-number") : call.number;
}

// The rule in words, or the reason for a record that names no rule.
std::string whyText(const HistoryRecord& call, const PlaceLookup& places) {
  std::string rule = historyRuleText(call, places);
  return rule.empty() ? HistoryVC::reasonText(call) : rule;
}

}  // namespace

bool allowableNumber(const std::string& number) {
  const std::string shown = normaliseBlacklistInput(number);
  return isPhoneNumberPattern(shown) && shown.find_first_of("*?") == std::string::npos;
}

BlockNotice blockNotice(const std::vector<HistoryRecord>& calls, const PlaceLookup& places) {
  BlockNotice notice;
  if (calls.empty()) return notice;
  if (calls.size() == 1) {
    const HistoryRecord& call = calls.front();
    notice.title = stringWithFormat(localizedString("notify-blocked-call-fmt"), numberText(call));
    notice.body = whyText(call, places);
    if (allowableNumber(call.number)) {
      notice.actions.emplace_back(kAllowNumberActionKey, localizedString("notify-allow-number"));
    }
  } else {
    notice.title = localizedCountString("notify-blocked-calls-fmt", calls.size());
    const size_t listed = std::min(calls.size(), kNoticeListedCalls);
    for (size_t i = 0; i < listed; ++i) {
      if (i > 0) notice.body += "\n";
      // A call without a number was blocked for that: its line says it once.
      notice.body += calls[i].number.empty() && calls[i].reason == BlockReasonUnknownNumber
                         ? numberText(calls[i])
                         : stringWithFormat(localizedString("notify-call-line-fmt"),
                                            numberText(calls[i]), whyText(calls[i], places));
    }
    if (calls.size() > listed) {
      notice.body += "\n" + localizedCountString("notify-more-calls-fmt", calls.size() - listed);
    }
  }
  notice.actions.emplace_back(kOpenHistoryActionKey, localizedString("notify-open-history"));
  return notice;
}

}  // namespace gui
