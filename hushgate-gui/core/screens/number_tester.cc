#include "hushgate-gui/core/screens/number_tester.h"

#include <utility>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/mobile_query.h"
#include "hushgate-gui/core/models/rule_text.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/format.h"

namespace gui {

namespace {

// Digits with an optional leading "+", and no wildcard.
bool isDialledNumber(const std::string& number) {
  return isPhoneNumberPattern(number) && number.find_first_of("*?") == std::string::npos;
}

}  // namespace

ScreeningContext numberTesterContext(const NumberTesterEnvironment& environment,
                                     const std::string& label) {
  ScreeningContext context;
  if (const MobileRegionDetector* detector = environment.regionDetector) {
    context.regionLookup = [detector](const std::string& number) {
      return detector->detectRegionCode(number);
    };
  }
  context.placeLookup = environment.places;
  if (!label.empty()) {
    context.labelLookup = [label](const std::string&) { return std::optional<std::string>(label); };
  }
  if (const HistoryList* history = environment.history) {
    context.lastBlockLookup = [history](const std::string& number) -> std::optional<int64_t> {
      for (const HistoryRecord& record : *history) {
        if (record.number == number && !blockRecordPassed(record)) return record.date;
      }
      return std::nullopt;
    };
  }
  context.moment = environment.moment;
  return context;
}

NumberTestReport testNumber(const Json& pref, const std::string& numberInput,
                            const std::string& label, const NumberTesterEnvironment& environment) {
  const std::string number = removingWhitespaceAndNewlines(numberInput);
  if (number.empty()) return {false, localizedString("tester-empty-number"), ""};
  if (!isDialledNumber(number)) return {false, localizedString("tester-not-a-number"), ""};

  const ScreeningRules rules(pref);
  IncomingCallInfo call;
  call.number = number;
  const ScreeningResult result =
      screenIncomingCall(call, rules, numberTesterContext(environment, label));

  std::vector<std::string> lines;
  lines.push_back(result.reason != BlockReasonNone ? localizedString("tester-would-block")
                                                   : localizedString("tester-would-pass"));
  lines.push_back(
      result.rule.kind == RuleKind::kNone
          ? localizedString("tester-no-rule")
          : stringWithFormat(localizedString("tester-rule-fmt"), firedRuleText(result.rule)));
  if (result.overruledReason != BlockReasonNone) {
    lines.push_back(stringWithFormat(localizedString("tester-overruled-fmt"),
                                     firedRuleText(result.overruledRule)));
  }
  lines.push_back(stringWithFormat(localizedString("tester-judged-fmt"), result.judgedNumber));
  if (!rules.enabled()) lines.push_back(localizedString("tester-screening-off"));

  NumberTestReport report{true, number, ""};
  for (const std::string& text : lines) {
    if (!report.message.empty()) report.message += '\n';
    report.message += text;
  }
  return report;
}

void showNumberTester(std::function<NumberTesterEnvironment()> environment) {
  AlertUtil::showForm(
      localizedString("tester-title"), std::nullopt,
      {{localizedString("tester-number-placeholder"), "", KeyboardType::NumbersAndPunctuation},
       {localizedString("tester-label-placeholder"), "", KeyboardType::Default}},
      [environment = std::move(environment)](const std::vector<std::string>& texts) {
        const NumberTestReport report =
            testNumber(Preference::sharedInstance().pref(), texts[0], texts[1], environment());
        AlertUtil::showInfo(report.title, report.message.empty()
                                              ? std::nullopt
                                              : std::optional<std::string>(report.message));
      });
}

}  // namespace gui
