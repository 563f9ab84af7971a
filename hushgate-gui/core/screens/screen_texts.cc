#include "hushgate-gui/core/screens/screen_texts.h"

#include "hushgate-gui/core/kit/localization.h"

namespace gui {

const std::vector<RootSection>& rootSections() {
  using L = RootVC::Label;
  using S = RootVC::Switch;
  static const std::vector<RootSection> kSections = {
      {"section-status",
       {
           {"cell.enable", "row-enable", L::statusLabel, S::enableSwitch, false},
           {"cell.block-unknown", "row-block-unknown", std::nullopt, S::blockingUnknownSwitch,
            false},
           {"cell.bypass-contacts", "row-bypass-contacts", std::nullopt, S::contactBypassSwitch,
            false},
           {"cell.mp", "row-mp-injection", std::nullopt, S::MPSwitch, false},
           {"cell.notify", "row-notify", std::nullopt, S::notifySwitch, false},
       }},
      {"section-rules",
       {
           {"cell.zone", "row-zones", L::citiesBlockedCount, std::nullopt, true},
           {"cell.mobilezone", "row-mobilezones", L::mobileCitiesBlockedCount, std::nullopt, true},
           {"cell.blacklist", "row-blacklist", L::blackListCountLabel, std::nullopt, true},
           {"cell.allowlist", "row-allowlist", L::allowlistCountLabel, std::nullopt, true},
           {"cell.ignored-prefix", "row-ignored-prefix", L::ignoredPrefixCount, std::nullopt, true},
           {"cell.keywords", "row-keywords", L::blackKeywordsCount, std::nullopt, true},
       }},
      {"section-allowances",
       {
           {"cell.repeated-call", "row-repeated-call", std::nullopt, S::repeatedCallSwitch, false},
           {"cell.repeated-call-minutes", "row-repeated-call-minutes", L::repeatedCallMinutesLabel,
            std::nullopt, false},
           {"cell.quiet-hours", "row-quiet-hours", std::nullopt, S::quietHoursSwitch, false},
           {"cell.quiet-hours-window", "row-quiet-hours-window", L::quietHoursLabel, std::nullopt,
            false},
       }},
      {"section-history",
       {
           {"cell.history", "row-history", L::historyCount, std::nullopt, true},
       }},
      {"section-tools",
       {
           {"cell.mobiletest", "row-mobiletest", std::nullopt, std::nullopt, false},
           {"cell.tester", "row-tester", std::nullopt, std::nullopt, false},
           {"cell.export-rules", "row-export-rules", std::nullopt, std::nullopt, false},
           {"cell.import-rules", "row-import-rules", std::nullopt, std::nullopt, false},
       }},
      {"section-donation",
       {
           {"cell.donationlist", "row-donationlist", std::nullopt, std::nullopt, false},
           {"cell.donation", "row-donation", std::nullopt, std::nullopt, false},
       }},
      {"section-about",
       {
           {"cell.version", "row-version", L::versionLabel, std::nullopt, false},
           {"cell.phonedata", "row-phonedata-version", L::phonedatVersionLabel, std::nullopt,
            false},
           {"cell.eula", "row-eula", std::nullopt, std::nullopt, false},
           {"cell.opensource", "row-opensource", std::nullopt, std::nullopt, true},
       }},
  };
  return kSections;
}

std::string sceneTitle(std::string_view scene) {
  if (scene == "sb.root") return localizedString("title-root");
  if (scene == "sb.zones") return localizedString("title-zones");
  if (scene == "sb.mobilezones") return localizedString("title-mobilezones");
  if (scene == "sb.blacklist") return localizedString("title-blacklist");
  if (scene == "sb.allowlist") return localizedString("title-allowlist");
  if (scene == "sb.ignored-prefix") return localizedString("title-ignored-prefix");
  if (scene == "sb.blackkeywords") return localizedString("title-blackkeywords");
  if (scene == "sb.history") return localizedString("title-history");
  if (scene == "sb.opensource") return localizedString("title-opensource");
  return std::string(scene);
}

std::string backButtonTitle() {
  return localizedString("back");
}
std::string addButtonTitle() {
  return localizedString("add");
}
std::string trashButtonTitle() {
  return localizedString("trash");
}
std::string exitButtonTitle() {
  return localizedString("exit");
}
std::string zoneSearchPlaceholder() {
  return localizedString("zone-search-placeholder");
}
std::string zoneProvinceRowTitle() {
  return localizedString("zone-province-row");
}
std::string rowActionsButtonTitle() {
  return localizedString("row-actions");
}

}  // namespace gui
