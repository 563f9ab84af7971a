// The rule that decided a call: named by the screening's result, stored in
// the history record as its optional member "rule", and shown by the
// settings application. Readers that do not know the member ignore it.
//
//   "rule": {"kind": KIND, "value": TEXT, "place": TEXT, "prefix": TEXT}
//     kind    ruleKindName; a record whose kind is unknown has no rule
//     value   the entry that fired: a list entry's pattern as shown, the
//             area code, the region code, the keyword, or for the repeated-
//             call allowance its minutes
//     place   the name of the area code's or region's place, when known
//     prefix  the ignored prefix (as shown) cut off the number first
//   (members left out when empty)
//   "pass": "repeated-call"
//     on the record of a call that a rule would have blocked and the
//     repeated-call allowance let through; "r" and "rule" are those of the
//     rule that was overruled. Such a record is no block: the Phone side
//     does not mark the call and it does not count as an earlier block.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "statics/contracts/block_record.h"

enum class RuleKind {
  kNone,               // no rule decided: the call passes
  kOutsideQuietHours,  // screening is off at this time of day
  kSystemBlocked,
  kAllowlist,
  kContact,
  kUnknownNumber,
  kAreaCode,
  kMobileRegion,
  kBlacklist,
  kKeyword,
  kRepeatedCall,  // the allowance let a second call through
};

// The stored name of a kind ("area-code", ...), and the kind of a name.
const char* ruleKindName(RuleKind kind);
std::optional<RuleKind> ruleKindNamed(std::string_view name);

struct FiredRule {
  RuleKind kind = RuleKind::kNone;
  std::string value = {};
  std::string place = {};
  std::string cutPrefix = {};

  bool operator==(const FiredRule&) const = default;
};

// The record's rule; nullopt without a readable "rule" member.
std::optional<FiredRule> blockRecordRule(const BlockRecord& record);
// Whether the record is of a call let through ("pass").
bool blockRecordPassed(const BlockRecord& record);
// Stores rule (and "pass" when passed) among the record's other members,
// replacing earlier ones; a kNone rule stores no "rule".
void setBlockRecordRule(BlockRecord& record, const FiredRule& rule, bool passed);
