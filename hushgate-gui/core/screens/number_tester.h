// The number tester of the main screen: a number and an optional caller
// label in; the verdict, the rule that decided and the number the rules
// judged out, from the same decision that screens calls, against the rules
// of the main document as the window holds it at that moment. Nothing is
// saved.
#pragma once

#include <functional>
#include <string>

#include "hushgate-gui/core/models/history_list.h"
#include "statics/MobileRegionDetector.h"
#include "statics/screening/screening.h"

namespace gui {

// What the tester judges a number with besides the rules.
struct NumberTesterEnvironment {
  const MobileRegionDetector* regionDetector = nullptr;  // nullptr: no region found
  PlaceLookup places;                                    // cityNameLookup
  const HistoryList* history = nullptr;                  // newest first: the earlier blocks
  CallMoment moment;
};

// The lookups of the decision over the environment: regions from the
// detector, places from the city list, the label as given, earlier blocks
// (records let through do not count) from the history.
ScreeningContext numberTesterContext(const NumberTesterEnvironment& environment,
                                     const std::string& label);

// What the tester shows: title and message of an alert.
struct NumberTestReport {
  bool judged = false;  // false: the input was refused and message says why
  std::string title;
  std::string message;
};

// Judges the number as typed (white space removed; digits with an optional
// leading "+" only) with the label ("" for none) against pref.
NumberTestReport testNumber(const Json& pref, const std::string& numberInput,
                            const std::string& label, const NumberTesterEnvironment& environment);

// The tester's form; the environment is asked for when "ok" is tapped.
void showNumberTester(std::function<NumberTesterEnvironment()> environment);

}  // namespace gui
