// The screening decision: a plain call record, the rules of one preference
// document and two lookups in; a block reason and a detail text out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "statics/contracts/block_record.h"
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
  std::string detail;  // the caller-identification label for reason 5, else empty
};

// Number in, region code out; empty when no region is found.
using RegionLookup = std::function<std::string(const std::string& number)>;
// Normalised number in, caller-identification label out.
using LabelLookup = std::function<std::optional<std::string>(const std::string& number)>;

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
// system-blocked, contacts, unknown number, "+86" removal, ignored prefixes,
// landline area codes, mobile region, blacklist, caller-identification label
// and keywords. Lengths and prefixes of the number count UTF-16 units, as on
// the phone. An ignored-prefix text longer than the number cuts all of it; an
// empty area code is a prefix of no number. A
// keyword is looked for as a plain, case-sensitive substring of the label;
// the empty keyword is found nowhere. regionLookup gets the normalised number
// when it is a mobile number; labelLookup gets the normalised number (not the
// database key) when no earlier rule decided. Empty lookups find nothing.
ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const RegionLookup& regionLookup,
                                   const LabelLookup& labelLookup);

// The lookup key of the caller-identification database for a normalised
// number: "86" + N for an 11-character number beginning with 13, 15, 17, 18 or
// 19; otherwise N without one leading "0", prefixed with "86" when longer than
// 8 characters.
std::string callerLabelLookupKey(const std::string& normalisedNumber);
