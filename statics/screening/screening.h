// The screening decision: a plain call record, the rules of one preference
// document, the moment of the call and the lookups in; a block reason, a
// detail text and the rule that decided out. The one function that judges
// calls: the tweak, the rule tester and the settings application's tester
// all call it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "statics/contracts/block_record.h"
#include "statics/contracts/fired_rule.h"
#include "statics/contracts/pref_document.h"

// The call record, filled from the platform call object.
struct IncomingCallInfo {
  std::string number;  // empty when the call has no handle value
  std::optional<std::string> contactIdentifier;
  bool systemBlocked = false;
  std::string uniqueId;
  // Written to the log only.
  std::optional<std::string> localizedLabel;
  std::optional<std::string> sourceIdentifier;
  std::optional<std::string> displayName;
  std::optional<std::string> callerNameFromNetwork;
};

struct ScreeningResult {
  BlockReason reason = BlockReasonNone;
  // The caller-identification label for reason 5 (also when that reason was
  // overruled), else empty.
  std::string detail;
  // The rule that decided; kind kNone when none did and the call passes.
  FiredRule rule = {};
  // The number the rules after "+86" and ignored-prefix removal judged.
  std::string judgedNumber = {};
  // A call that a rule would have blocked but the repeated-call allowance
  // let through (rule.kind is then kRepeatedCall): that rule and its reason.
  BlockReason overruledReason = BlockReasonNone;
  FiredRule overruledRule = {};
};

// Number in, region code out; empty when no region is found.
using RegionLookup = std::function<std::string(const std::string& number)>;
// Normalised number in, caller-identification label out.
using LabelLookup = std::function<std::optional<std::string>(const std::string& number)>;
// Area code or region code in, the place's name out; empty when unknown.
using PlaceLookup = std::function<std::string(const std::string& regionCode)>;
// A number as the call delivered it in, the date ("d") of the latest block of
// a call from exactly that number out; nullopt when there is none.
using LastBlockLookup = std::function<std::optional<int64_t>(const std::string& number)>;

// When a call arrives: the time of the history record and the phone's local
// weekday and time of day.
struct CallMoment {
  int64_t date = 0;     // whole seconds since 1970 (UTC)
  int weekday = 1;      // 1 (Monday) .. 7 (Sunday), local
  int minuteOfDay = 0;  // 0 .. 1439, local
};
// The moment in the process's local time zone (TZ).
CallMoment callMomentAt(std::chrono::system_clock::time_point when);

// Everything the decision asks besides the call and the rules. Every lookup
// may be empty: it then finds nothing.
struct ScreeningContext {
  RegionLookup regionLookup;
  LabelLookup labelLookup;
  PlaceLookup placeLookup;
  LastBlockLookup lastBlockLookup;
  CallMoment moment;
};

// The rules of one preference document, with every pattern compiled once.
// Built whenever a document is loaded; the document is replaced whole, never
// edited, so nothing observable depends on when the patterns were compiled.
// The document may have any shape: values of another JSON type read as false
// or empty, and list entries of another shape than the settings application
// writes (blacklist and ignored-prefix entries: exactly three strings;
// keywords, area codes, region codes: strings) are skipped.
class ScreeningRules {
 public:
  explicit ScreeningRules(Json pref);
  ~ScreeningRules();
  ScreeningRules(const ScreeningRules&) = delete;
  ScreeningRules& operator=(const ScreeningRules&) = delete;

  // The document the rules were made from.
  const Json& pref() const { return pref_; }
  // kEnabledKey is true.
  bool enabled() const;

  // The compiled patterns; defined where the rules run.
  struct Compiled;
  const Compiled& compiled() const { return *compiled_; }

 private:
  Json pref_;
  std::unique_ptr<Compiled> compiled_;
};

// Applies the rules in their fixed order; the first rule that decides wins:
// quiet hours (outside the window every call passes), system-blocked, the
// allow-list (the number as delivered, then after "+86" and ignored-prefix
// removal), contacts, unknown number, landline area codes, mobile region,
// blacklist, caller-identification label and keywords. When the
// repeated-call allowance is on, a call that the region or keyword rule would
// block passes when lastBlockLookup finds a block of the same number at most
// its minutes before the call; the blacklist, system-blocked and
// unknown-number rules stay absolute (a call without a number cannot be told
// from another caller's). Lengths and prefixes of the number count UTF-16 units, as on
// the phone. An ignored-prefix text longer than the number cuts all of it; an
// empty area code is a prefix of no number. A
// keyword is looked for as a plain, case-sensitive substring of the label;
// the empty keyword is found nowhere. regionLookup gets the normalised number
// when it is a mobile number; labelLookup gets the normalised number (not the
// database key) when no earlier rule decided. Empty lookups find nothing.
ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const ScreeningContext& context);
// The same with only the two lookups, at the present moment.
ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const RegionLookup& regionLookup,
                                   const LabelLookup& labelLookup);

// The lookup key of the caller-identification database for a normalised
// number: "86" + N for an 11-character number beginning with 13, 15, 17, 18 or
// 19; otherwise N without one leading "0", prefixed with "86" when longer than
// 8 characters.
std::string callerLabelLookupKey(const std::string& normalisedNumber);
