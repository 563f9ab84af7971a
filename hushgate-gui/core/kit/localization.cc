#include "hushgate-gui/core/kit/localization.h"

#include <unicode/locid.h>
#include <unicode/plurrule.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "hushgate-gui/core/kit/resources.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/format.h"
#include "statics/json_document.h"

namespace gui {

namespace fs = std::filesystem;

namespace {

using Table = std::map<std::string, std::string>;

constexpr char kChinese[] = "zh_CN";
constexpr char kEnglish[] = "en";

std::string languageOf(std::string_view name) {
  return name.substr(0, 2) == "zh" ? kChinese : kEnglish;
}

// Merges the JSON files of folder into table, in name order.
void readTableFolder(const fs::path& folder, Table& table) {
  std::error_code error;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".json") files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::optional<std::string> bytes = readWholeFile(file.string());
    const std::optional<nlohmann::json> doc = bytes ? parseJsonDocument(*bytes) : std::nullopt;
    if (!doc || !doc->is_object()) {
      Log("== localization table unreadable: %@", file.string());
      continue;
    }
    for (const auto& [key, value] : doc->items()) {
      if (value.is_string()) table[key] = value.get<std::string>();
    }
  }
}

struct Tables {
  std::mutex mutex;
  std::optional<std::string> language;  // chosen on first use unless set
  std::map<std::string, Table> loaded;  // by language; entries never move
};

Tables& tables() {
  static Tables* const state = new Tables();  // never destroyed
  return *state;
}

// The table of language, read on first use. Caller holds the mutex.
const Table& tableLocked(Tables& t, const std::string& language) {
  auto it = t.loaded.find(language);
  if (it == t.loaded.end()) {
    it = t.loaded.emplace(language, Table()).first;
    readTableFolder(fs::path(resourcesDirectory()) / "localization" / language, it->second);
  }
  return it->second;
}

}  // namespace

std::string languageFromLocale() {
  std::string_view locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  // As gettext does: LANGUAGE is a list of languages by preference, used
  // unless the locale is C; its first entry that has a table wins.
  const char* preference = std::getenv("LANGUAGE");
  if (!locale.empty() && locale != "C" && locale != "POSIX" && preference != nullptr) {
    std::string_view list = preference;
    while (!list.empty()) {
      const size_t colon = list.find(':');
      const std::string_view entry = list.substr(0, colon);
      if (entry.substr(0, 2) == "zh" || entry.substr(0, 2) == "en") return languageOf(entry);
      if (colon == std::string_view::npos) break;
      list.remove_prefix(colon + 1);
    }
  }
  return locale.empty() ? kEnglish : languageOf(locale);
}

std::string localizedString(std::string_view key) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  if (!t.language) t.language = languageFromLocale();
  const Table& table = tableLocked(t, *t.language);
  const auto it = table.find(std::string(key));
  return it != table.end() ? it->second : std::string(key);
}

std::string localizedCountString(std::string_view key, unsigned long count) {
  const std::string language = currentLanguage();
  std::string text = localizedString(key);
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::PluralRules> rules(
      icu::PluralRules::forLocale(icu::Locale(language.c_str()), status));
  if (U_SUCCESS(status) && rules != nullptr) {
    std::string category;
    rules->select(static_cast<int32_t>(std::min<unsigned long>(count, INT32_MAX)))
        .toUTF8String(category);
    const std::string variantKey = std::string(key) + kPluralVariantSeparator + category;
    if (std::string variant = localizedString(variantKey); variant != variantKey) {
      text = std::move(variant);
    }
  }
  return stringWithFormat(text, count);
}

const std::map<std::string, std::string>& localizationTable(std::string_view language) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  return tableLocked(t, languageOf(language));
}

std::string currentLanguage() {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  if (!t.language) t.language = languageFromLocale();
  return *t.language;
}

void setLanguage(std::string_view language) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  t.language = languageOf(language);
}

}  // namespace gui
