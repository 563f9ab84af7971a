// The settings application's texts: a table per language ("zh_CN", "en"),
// looked up by key (localizedStringForKey:value:"" table:nil). The language
// comes from the locale (LC_ALL, LC_MESSAGES, LANG, the first one set and not
// empty) and, as gettext has it, LANGUAGE: a locale beginning with "zh" gets
// the Chinese table (Traditional Chinese ones too: there is no table of their
// own), every other the English one.
//
// The tables are the files localization/<lang>/*.json of the resources folder
// (resources.h): each file one JSON object of key -> text, the files of a
// folder merged in name order. Each table is read once, on first use; a file
// that does not parse or a value that is not text is left out.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace gui {

// The text of key in the current table; the key itself when the table has
// no such key (as the platform answers with an empty default).
std::string localizedString(std::string_view key);

// A count's text: key's table text, or its variant "KEY#CATEGORY" when the
// table has one for the plural category that ICU's rules of the current
// language give count ("one" for 1 in English; Chinese has "other" alone);
// formatted with the count as its one %d or %lu.
inline constexpr char kPluralVariantSeparator[] = "#";
std::string localizedCountString(std::string_view key, unsigned long count);

// A table by language ("zh_CN" or "en"; any other name gives the English one).
const std::map<std::string, std::string>& localizationTable(std::string_view language);

// The language in force: "zh_CN" or "en". Until setLanguage is called, the
// one the locale asks for, as languageFromLocale() found it on first use.
std::string currentLanguage();

// The language the locale asks for now: the first entry of LANGUAGE (a
// colon-separated list) that begins with "zh" or "en", unless the locale is
// unset, "C" or "POSIX"; else "zh_CN" when the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty begins with "zh"; else "en".
std::string languageFromLocale();

// For tests and the front end: choose a language ("zh_CN" or "en"; a name
// beginning with "zh" chooses Chinese, any other English).
void setLanguage(std::string_view language);

}  // namespace gui
