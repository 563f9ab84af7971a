// The texts: every key the application looks up is in both tables, the two
// tables have the same keys, and a format text keeps its placeholders in
// every language.
#include "hushgate-gui/core/kit/localization.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "hushgate-gui/core/kit/resources.h"
#include "hushgate-gui/core/screens/OpenSourceVC.h"
#include "statics/json_document.h"
#include "support/temp_root.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = HUSHGATE_SOURCE_DIR;
const char* const kLanguages[] = {"zh_CN", "en"};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> filesIn(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The calls localizedString(...) in a source text: for each, the key when it
// is a string literal, otherwise nullopt and the argument text.
struct Lookup {
  std::optional<std::string> key;
  std::string argument;
};

std::vector<Lookup> lookupsIn(const std::string& text) {
  std::vector<Lookup> lookups;
  for (const std::string_view kCall : {"localizedString(", "localizedCountString("})
    for (size_t at = text.find(kCall); at != std::string::npos; at = text.find(kCall, at + 1)) {
      size_t i = at + kCall.size();
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      const size_t close = text.find(')', i);
      Lookup lookup;
      lookup.argument = text.substr(i, close == std::string::npos ? 0 : close - i);
      if (i < text.size() && text[i] == '"') {
        std::string key;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
          if (text[i] == '\\' && i + 1 < text.size()) ++i;
          key += text[i];
        }
        lookup.key = key;
      }
      lookups.push_back(lookup);
    }
  return lookups;
}

// The keys that the application's code looks up, with the file of each.
std::map<std::string, std::string> keysInUse() {
  std::map<std::string, std::string> keys;
  for (const fs::path& file : filesIn(kSourceDir / "hushgate-gui" / "core", ".cc")) {
    for (const Lookup& lookup : lookupsIn(readFile(file))) {
      if (lookup.key) keys.emplace(*lookup.key, file.filename().string());
    }
  }
  return keys;
}

// The table of a language as its source files hold it; every problem found on
// the way is added to problems.
std::map<std::string, std::string> sourceTable(const std::string& language,
                                               std::vector<std::string>& problems) {
  std::map<std::string, std::string> table;
  std::map<std::string, std::string> fileOfKey;
  for (const fs::path& file : filesIn(kSourceDir / "data" / "localization" / language, ".json")) {
    const std::optional<nlohmann::json> doc = parseJsonDocument(readFile(file));
    const std::string name = language + "/" + file.filename().string();
    if (!doc || !doc->is_object()) {
      problems.push_back(name + " is not one JSON object");
      continue;
    }
    for (const auto& [key, value] : doc->items()) {
      if (!value.is_string()) {
        problems.push_back(name + ": \"" + key + "\" is not text");
        continue;
      }
      const auto [it, fresh] = fileOfKey.emplace(key, name);
      if (!fresh) problems.push_back("\"" + key + "\" is in " + it->second + " and " + name);
      table[key] = value.get<std::string>();
    }
  }
  return table;
}

// The placeholders of a format text, in order ("%d", "%.3f", "%@", "%1$@"):
// "%", position, flags, width, precision, length modifiers, conversion.
std::vector<std::string> placeholders(const std::string& text) {
  const std::string_view conversions = "@sdiuoxXcfFeEgGaA";
  const std::string_view modifiers = "hlqjztL";
  std::vector<std::string> found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    auto skip = [&](auto accepts) {
      while (j < text.size() && accepts(text[j])) ++j;
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    skip(isDigit);
    if (j < text.size() && text[j] == '$') ++j;
    skip([](char c) { return std::string_view("-+ #0").find(c) != std::string_view::npos; });
    skip(isDigit);
    if (j < text.size() && text[j] == '.') {
      ++j;
      skip(isDigit);
    }
    skip([&](char c) { return modifiers.find(c) != std::string_view::npos; });
    if (j < text.size() && conversions.find(text[j]) != std::string_view::npos) {
      found.push_back(text.substr(i, j - i + 1));
      i = j;
    }
  }
  return found;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return "[" + text + "]";
}

TEST(LocalizationTest, TheTableFilesAreWellFormedAndEachKeyLivesInOneFile) {
  for (const char* language : kLanguages) {
    std::vector<std::string> problems;
    const auto table = sourceTable(language, problems);
    EXPECT_FALSE(table.empty()) << language;
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
  }
}

TEST(LocalizationTest, EveryKeyLookedUpIsInBothTables) {
  const auto keys = keysInUse();
  ASSERT_GT(keys.size(), 20u) << "the scan found too few lookups";
  EXPECT_EQ(keys.count("trash-history-alert-title"), 1u);
  for (const char* language : kLanguages) {
    std::vector<std::string> problems;
    const auto table = sourceTable(language, problems);
    for (const auto& [key, file] : keys) {
      EXPECT_EQ(table.count(key), 1u)
          << "\"" << key << "\" (" << file << ") has no " << language << " text";
    }
  }
}

TEST(LocalizationTest, EveryLookupNamesItsKeyLiterally) {
  // A key passed in a variable escapes the completeness check above.
  for (const fs::path& file : filesIn(kSourceDir / "hushgate-gui" / "core", ".cc")) {
    if (file.filename() == "localization.cc") continue;
    for (const Lookup& lookup : lookupsIn(readFile(file))) {
      if (!lookup.key) {
        ADD_FAILURE() << file.filename().string() << ": localizedString(" << lookup.argument
                      << ") does not name its key";
      }
    }
  }
}

TEST(LocalizationTest, LookupScanReadsLiteralsOnly) {
  const auto lookups =
      lookupsIn(R"(a(localizedString("ok")); localizedString( "x\"y" ); localizedString(key);)");
  ASSERT_EQ(lookups.size(), 3u);
  EXPECT_EQ(lookups[0].key, "ok");
  EXPECT_EQ(lookups[1].key, "x\"y");
  EXPECT_FALSE(lookups[2].key.has_value());
  EXPECT_EQ(lookups[2].argument, "key");
}

TEST(LocalizationTest, BothLanguagesHaveTheSameKeysAndPlaceholders) {
  std::vector<std::string> ignored;
  const auto chinese = sourceTable("zh_CN", ignored);
  const auto english = sourceTable("en", ignored);
  for (const auto& [key, text] : chinese) {
    const auto other = english.find(key);
    if (other == english.end()) {
      ADD_FAILURE() << "\"" << key << "\" is only in zh_CN";
      continue;
    }
    EXPECT_EQ(joined(placeholders(text)), joined(placeholders(other->second)))
        << "placeholders of \"" << key << "\" differ";
  }
  // A plural variant "KEY#CATEGORY" may be in one table only; its key and
  // placeholders are those of KEY.
  for (const auto& [key, text] : english) {
    const size_t mark = key.find(gui::kPluralVariantSeparator);
    const std::string base = key.substr(0, mark);
    EXPECT_EQ(chinese.count(base), 1u) << "\"" << key << "\" is only in en";
    if (mark != std::string::npos && english.count(base) == 1) {
      EXPECT_EQ(joined(placeholders(text)), joined(placeholders(english.at(base))))
          << "placeholders of \"" << key << "\" differ from \"" << base << "\"";
    }
  }
}

TEST(LocalizationTest, CountsFollowThePluralRulesOfTheLanguage) {
  struct Case {
    const char* language;
    unsigned long count;
    const char* text;
  };
  const Case cases[] = {
      {"en", 1, "1 region"},
      {"en", 2, "2 regions"},
      {"en", 0, "0 regions"},
      {"en", 21, "21 regions"},
      {"zh_CN", 1, "1 个地区"},
      {"zh_CN", 2, "2 个地区"},
      {"en", 4294967296, "4294967296 regions"},
  };
  for (const Case& c : cases) {
    gui::setLanguage(c.language);
    EXPECT_EQ(gui::localizedCountString("city-block-count-fmt", c.count), c.text)
        << c.language << " " << c.count;
  }
  gui::setLanguage("zh_CN");
  EXPECT_EQ(gui::localizedCountString("record-count-fmt", 1), "1 条");
}

TEST(LocalizationTest, PlaceholderScanSeesFormats) {
  EXPECT_EQ(placeholders("%d 条"), std::vector<std::string>{"%d"});
  EXPECT_EQ(placeholders("耗时 %.3f 毫秒 %@ %@ 100%%"),
            (std::vector<std::string>{"%.3f", "%@", "%@"}));
  EXPECT_EQ(placeholders("%2$@ %1$lu"), (std::vector<std::string>{"%2$@", "%1$lu"}));
  EXPECT_TRUE(placeholders("no format").empty());
}

TEST(LocalizationTest, TheBuiltTablesMatchTheSources) {
  for (const char* language : kLanguages) {
    std::vector<std::string> ignored;
    EXPECT_EQ(gui::localizationTable(language), sourceTable(language, ignored))
        << "the resources folder is out of date for " << language;
  }
}

TEST(LocalizationTest, LookUpInTheChosenLanguage) {
  gui::setLanguage("zh_CN");
  EXPECT_EQ(gui::currentLanguage(), "zh_CN");
  EXPECT_EQ(gui::localizedString("delete"), "删除");
  gui::setLanguage("zh_TW.UTF-8");
  EXPECT_EQ(gui::currentLanguage(), "zh_CN");
  gui::setLanguage("en");
  EXPECT_EQ(gui::localizedString("delete"), "Delete");
  gui::setLanguage("fr_FR");
  EXPECT_EQ(gui::currentLanguage(), "en");
  EXPECT_EQ(gui::localizedString("no-such-key"), "no-such-key");
  EXPECT_EQ(gui::localizedString(""), "");
}

TEST(LocalizationTest, TheLocaleChoosesTheLanguage) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* language;
    const char* languageList = nullptr;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, "en"},
      {nullptr, nullptr, "zh_CN.UTF-8", "zh_CN"},
      {nullptr, "en_US.UTF-8", "zh_CN.UTF-8", "en"},
      {"zh_HK", "en_US.UTF-8", "en_US", "zh_CN"},
      {"", "", "zh_SG", "zh_CN"},  // empty ones are skipped
      {"C", nullptr, "zh_CN", "en"},
      {nullptr, nullptr, "de_DE", "en"},
      {nullptr, nullptr, "zh_TW.UTF-8", "zh_CN"},  // Traditional: the Simplified table
      // LANGUAGE: its first entry with a table, unless the locale is C or unset.
      {nullptr, nullptr, "de_DE.UTF-8", "zh_CN", "fr:zh_TW:en"},
      {nullptr, nullptr, "zh_CN.UTF-8", "en", "en_GB"},
      {nullptr, nullptr, "en_US.UTF-8", "zh_CN", "de:zh_HK"},
      {nullptr, nullptr, "en_US.UTF-8", "en", "de:fr"},
      {"C", nullptr, "zh_CN", "en", "zh_CN"},
      {nullptr, nullptr, nullptr, "en", "zh_CN"},
  };
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) {
    const char* value = std::getenv(name);
    saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  auto set = [](const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  };
  for (const Case& c : cases) {
    set("LC_ALL", c.lcAll);
    set("LC_MESSAGES", c.lcMessages);
    set("LANG", c.lang);
    set("LANGUAGE", c.languageList);
    EXPECT_EQ(gui::languageFromLocale(), c.language)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " "
        << (c.lang ? c.lang : "-") << " " << (c.languageList ? c.languageList : "-");
  }
  for (const auto& [name, value] : saved) set(name.c_str(), value ? value->c_str() : nullptr);
}

TEST(ResourcesTest, FindsTheCityListAndFollowsTheEnvironment) {
  const std::string cities = gui::pathForResource("cities", "json");
  ASSERT_FALSE(cities.empty());
  EXPECT_TRUE(fs::is_regular_file(cities));
  EXPECT_EQ(gui::pathForResource("no-such", "json"), "");
  EXPECT_EQ(gui::pathForResource("localization", ""), "");  // a folder is no resource
  EXPECT_EQ(gui::pathForResource("../resources/cities", "json"), "");
  EXPECT_EQ(gui::pathForResource("", "json"), "");

  testing_support::TempDeviceRoot elsewhere;
  const char* previous = std::getenv("HUSHGATE_RESOURCES");
  const std::optional<std::string> saved =
      previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("HUSHGATE_RESOURCES", elsewhere.path().c_str(), 1);
  EXPECT_EQ(gui::resourcesDirectory(), elsewhere.path());
  EXPECT_EQ(gui::pathForResource("cities", "json"), "");
  elsewhere.write("/cities.json", "[]");
  EXPECT_EQ(gui::pathForResource("cities", "json"), elsewhere.at("/cities.json"));
  setenv("HUSHGATE_RESOURCES", "", 1);
  EXPECT_NE(gui::resourcesDirectory(), "");
  EXPECT_EQ(gui::resourcesDirectory(), fs::path(cities).parent_path().string());
  if (saved) {
    setenv("HUSHGATE_RESOURCES", saved->c_str(), 1);
  } else {
    unsetenv("HUSHGATE_RESOURCES");
  }
}

}  // namespace

TEST(ResourcesTest, EveryOpenSourceNoticeShipsItsLicenceText) {
  for (const auto& notice : gui::OpenSourceVC::notices()) {
    const std::string text = gui::OpenSourceVC::licenseText(notice);
    EXPECT_GT(text.size(), 200u) << notice.name << ": no licence text";
    EXPECT_FALSE(notice.copyright.empty()) << notice.name;
  }
  gui::OpenSourceVC::Notice missing{"x", "y", "z", "no-such-licence"};
  EXPECT_EQ(gui::OpenSourceVC::licenseText(missing), "");
}

TEST(ResourcesTest, LicenceTextsWrapAtAnyWidth) {
  struct Case {
    std::string text, expected;
  };
  const std::vector<Case> cases{
      {"Permission is hereby\ngranted, free\r\nof charge.\n",
       "Permission is hereby granted, free of charge."},
      {"One.\n\nTwo\nlines.", "One.\n\nTwo lines."},
      {"Terms:\n1. first\n   indented\n- item\n(a) clause\nend",
       "Terms:\n1. first\n   indented\n- item\n(a) clause end"},
      {"\n\nA\n \nB", "A\n\nB"},  // leading blank lines go
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(gui::reflowedParagraphs(c.text), c.expected) << c.text;
}
