#include "hushgate-gui/core/screens/rules_transfer_dialogs.h"

#include <optional>
#include <string_view>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "statics/format.h"
#include "statics/rules_transfer.h"

namespace gui {

namespace {

// How many left-out entries the question names before it only counts them.
constexpr size_t kShownProblems = 5;

// The name of a list of the rules file as the screens call it.
std::string listName(std::string_view key) {
  if (key == kBlacklistKey) return localizedString("rules-list-blacklist");
  if (key == kAllowlistKey) return localizedString("rules-list-allowlist");
  if (key == kIgnoredPrefixesKey) return localizedString("rules-list-ignored-prefixes");
  if (key == kKeywordsKey) return localizedString("rules-list-keywords");
  if (key == kBlockedGroupsKey) return localizedString("rules-list-blocked-groups");
  if (key == kBlockedCitiesKey) return localizedString("rules-list-blocked-cities");
  if (key == kBlockedCitiesFlattenedKey) return localizedString("rules-list-blocked-flattened");
  if (key == kMobileBlockedGroupsKey) return localizedString("rules-list-mobile-groups");
  if (key == kMobileBlockedCitiesKey) return localizedString("rules-list-mobile-cities");
  if (key == kMobileBlockedCitiesFlattenedKey)
    return localizedString("rules-list-mobile-flattened");
  return std::string(key);  // a switch or value: its key
}

std::string previewText(const ImportPlan& plan) {
  std::string text;
  for (const ListImport& list : plan.lists) {
    if (list.added.empty() && list.alreadyListed == 0) continue;  // empty in the file
    text += stringWithFormat(localizedString("rules-import-list-fmt"), listName(list.key),
                             list.added.size(), list.alreadyListed) +
            "\n";
  }
  text += stringWithFormat(localizedString("rules-import-settings-fmt"), plan.settings.size());
  if (plan.problems.empty()) return text;
  text += "\n" + localizedString("rules-import-left-out");
  for (size_t i = 0; i < plan.problems.size() && i < kShownProblems; ++i) {
    const ImportProblem& problem = plan.problems[i];
    // The reader's reasons are English; other languages say it in general.
    const std::string reason = currentLanguage() == "en"
                                   ? problem.message
                                   : localizedString("rules-import-problem-reason");
    text += "\n" + stringWithFormat(localizedString("rules-import-problem-fmt"), problem.line,
                                    listName(problem.key), reason);
  }
  if (plan.problems.size() > kShownProblems) {
    text += "\n" + stringWithFormat(localizedString("rules-import-more-problems-fmt"),
                                    plan.problems.size() - kShownProblems);
  }
  return text;
}

void mergeRules(const std::string& text) {
  std::optional<ImportPlan> applied;
  const bool saved = changePref([&](Json& pref) {
    Result<ImportPlan> plan = planImport(text, pref);
    if (!plan) return;
    pref = applyImport(std::move(pref), *plan);
    applied = std::move(*plan);
  });
  if (!saved || !applied) return;  // the user was told why
  AlertUtil::showInfo(stringWithFormat(localizedString("rules-imported-fmt"), applied->addedCount(),
                                       applied->settings.size()),
                      std::nullopt);
}

}  // namespace

void exportRulesToFile(const std::string& path) {
  const Status written =
      writeFileAtomically(path, exportRules(Preference::sharedInstance().pref()));
  if (!written) {
    AlertUtil::showInfo(
        stringWithFormat(localizedString("rules-export-failed-fmt"), path, written.error()),
        std::nullopt);
    return;
  }
  AlertUtil::showInfo(stringWithFormat(localizedString("rules-exported-fmt"), path), std::nullopt);
}

void showImportPreview(const std::string& path) {
  std::optional<std::string> text = readWholeFile(path);
  if (!text) {
    AlertUtil::showInfo(stringWithFormat(localizedString("rules-import-unreadable-fmt"), path),
                        std::nullopt);
    return;
  }
  const Result<ImportPlan> plan = planImport(*text, Preference::sharedInstance().pref());
  if (!plan) {
    AlertUtil::showInfo(
        stringWithFormat(localizedString("rules-import-refused-fmt"), path, plan.error()),
        std::nullopt);
    return;
  }
  AlertUtil::showQuery(localizedString("rules-import-title"), previewText(*plan),
                       /*isDanger=*/false, [text = std::move(*text)] { mergeRules(text); });
}

}  // namespace gui
