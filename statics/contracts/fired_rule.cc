#include "statics/contracts/fired_rule.h"

#include <iterator>

#include <nlohmann/json.hpp>

#include "statics/json_document.h"

namespace {

constexpr char kRuleKey[] = "rule";
constexpr char kKindKey[] = "kind";
constexpr char kValueKey[] = "value";
constexpr char kPlaceKey[] = "place";
constexpr char kPrefixKey[] = "prefix";
constexpr char kPassKey[] = "pass";
constexpr char kRepeatedCallPass[] = "repeated-call";

struct KindName {
  RuleKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {RuleKind::kNone, "none"},
    {RuleKind::kOutsideQuietHours, "quiet-hours"},
    {RuleKind::kSystemBlocked, "system-blocked"},
    {RuleKind::kAllowlist, "allowlist"},
    {RuleKind::kContact, "contact"},
    {RuleKind::kUnknownNumber, "unknown-number"},
    {RuleKind::kAreaCode, "area-code"},
    {RuleKind::kMobileRegion, "mobile-region"},
    {RuleKind::kBlacklist, "blacklist"},
    {RuleKind::kKeyword, "keyword"},
    {RuleKind::kRepeatedCall, "repeated-call"},
};

nlohmann::json otherMembersObject(const BlockRecord& record) {
  if (record.otherMembers.empty()) return nlohmann::json::object();
  std::optional<nlohmann::json> members = parseJsonDocument(record.otherMembers);
  return members && members->is_object() ? std::move(*members) : nlohmann::json::object();
}

std::string textMember(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

const char* ruleKindName(RuleKind kind) {
  for (const KindName& known : kKindNames) {
    if (known.kind == kind) return known.name;
  }
  return kKindNames[0].name;
}

std::optional<RuleKind> ruleKindNamed(std::string_view name) {
  for (const KindName& known : kKindNames) {
    if (name == known.name) return known.kind;
  }
  return std::nullopt;
}

std::optional<FiredRule> blockRecordRule(const BlockRecord& record) {
  if (record.otherMembers.empty()) return std::nullopt;
  const nlohmann::json members = otherMembersObject(record);
  const auto rule = members.find(kRuleKey);
  if (rule == members.end() || !rule->is_object()) return std::nullopt;
  const std::optional<RuleKind> kind = ruleKindNamed(textMember(*rule, kKindKey));
  if (!kind) return std::nullopt;
  return FiredRule{*kind, textMember(*rule, kValueKey), textMember(*rule, kPlaceKey),
                   textMember(*rule, kPrefixKey)};
}

bool blockRecordPassed(const BlockRecord& record) {
  if (record.otherMembers.empty()) return false;
  return textMember(otherMembersObject(record), kPassKey) == kRepeatedCallPass;
}

void setBlockRecordRule(BlockRecord& record, const FiredRule& rule, bool passed) {
  nlohmann::json members = otherMembersObject(record);
  members.erase(kRuleKey);
  members.erase(kPassKey);
  if (rule.kind != RuleKind::kNone) {
    nlohmann::json stored = {{kKindKey, ruleKindName(rule.kind)}};
    if (!rule.value.empty()) stored[kValueKey] = rule.value;
    if (!rule.place.empty()) stored[kPlaceKey] = rule.place;
    if (!rule.cutPrefix.empty()) stored[kPrefixKey] = rule.cutPrefix;
    members[kRuleKey] = std::move(stored);
  }
  if (passed) members[kPassKey] = kRepeatedCallPass;
  record.otherMembers =
      members.empty() ? std::string()
                      : members.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
