// The fast blacklist matcher against ICU: random lists of entries as the
// editors, the add-to-blacklist command and hand edits write them, against
// random numbers. For every pair the answer must be the one that trying each
// expression with ICU in list order gives.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "statics/screening/blacklist_matcher.h"
#include "statics/screening/icu_regex.h"
#include "statics/screening/unicode_text.h"
#include "statics/contracts/blacklist_pattern.h"

namespace {

// One step of an entry, kept to make numbers that the entry may match.
struct Step {
  enum Kind { kLiteral, kOne, kRun } kind;
  UChar32 c = 0;
};

struct Entry {
  icu::UnicodeString expression;
  std::vector<Step> steps;  // empty for hand-written entries
};

const UChar32 kZeros[] = {'0',    0x0660,  0x06F0,  0x0966,  0x09E6, 0x0E50,
                          0xFF10, 0x1D7CE, 0x1D7EC, 0x104A0, 0x1E950};
// Characters around numbers that are not decimal digits.
const UChar32 kOthers[] = {'+',    ' ',    '-',    '(',    ')',    '#',    '.',     'a',
                           'Z',    0xB2,   0x2460, 0x2163, 0x4E00, 0x5E7F, 0x1F642, 0x85,
                           0x2028, 0x2029, 0x3000, 0xFF0B, '\n',   '\r',   '\t'};
const char16_t* const kTerminators[] = {u"\n",     u"\r",     u"\r\n",   u"\v",   u"\f",
                                        u"\u0085", u"\u2028", u"\u2029", u"\n\n", u"\n\r"};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(static_cast<int>(N))];
  }

  UChar32 asciiDigit() { return '0' + below(10); }
  // Mostly ASCII digits, sometimes the digit of another script.
  UChar32 anyDigit() { return chance(80) ? asciiDigit() : pick(kZeros) + below(10); }

  // An entry as the blacklist editor writes it: a pattern of digits, "?" and
  // "*", through the editors' own expression builder.
  Entry editorEntry() {
    Entry entry;
    std::string pattern;
    const int length = below(9);
    for (int i = 0; i < length; ++i) {
      const int kind = below(10);
      if (kind < 6) {
        const UChar32 d = asciiDigit();
        pattern += static_cast<char>(d);
        entry.steps.push_back({Step::kLiteral, d});
      } else if (kind < 8) {
        pattern += '?';
        entry.steps.push_back({Step::kOne});
      } else {
        pattern += '*';
        entry.steps.push_back({Step::kRun});
      }
    }
    entry.expression = icu::UnicodeString::fromUTF8(blacklistExpression(pattern));
    return entry;
  }

  // An entry as the add-to-blacklist command writes it: the literal
  // characters of the number quoted, "*" and "?" as wildcards.
  Entry commandEntry() {
    Entry entry;
    icu::UnicodeString expression(u"^");
    const bool quoteRuns = chance(50);
    const int length = below(12);
    icu::UnicodeString run;
    const auto flush = [&] {
      if (!run.isEmpty() || (quoteRuns && chance(5))) {
        expression.append(u"\\Q").append(run).append(u"\\E");
      }
      run.remove();
    };
    for (int i = 0; i < length; ++i) {
      const int kind = below(20);
      if (kind < 3) {
        flush();
        expression.append(kind == 0 ? u"\\d" : u"\\d*");
        entry.steps.push_back({kind == 0 ? Step::kOne : Step::kRun});
        continue;
      }
      UChar32 c = kind < 12 ? anyDigit() : pick(kOthers);
      if (chance(3)) c = '\\';
      entry.steps.push_back({Step::kLiteral, c});
      if (quoteRuns) {
        run.append(c);
      } else if (c < 0x80 && !u_isalnum(c) && c >= 0x20 && chance(70)) {
        expression.append(u'\\').append(c);
      } else {
        // Letters, digits, other characters, and now and then ASCII
        // punctuation, as they are: "(" or "+" then make a hand-written
        // expression of it.
        expression.append(c);
      }
    }
    flush();
    entry.expression = expression.append(u"$");
    return entry;
  }

  // An expression written by hand: anything ICU accepts, or does not.
  Entry handEntry() {
    static const char16_t* const kWhole[] = {
        u"^(138|139)\\d{8}$",
        u"^1[3-9]\\d{9}$",
        u"^400\\d+$",
        u"95555",
        u"10086$",
        u"^(?=1)\\d{11}$",
        u"^1(",
        u"[",
        u"*1",
        u"\\d{2,1}",
        u"^\\d{3,5}$",
        u"^\\D*$",
        u"^.*$",
        u"(?i)^A\\d*$",
        u"^\\d*$|^\\+.*$",
        u"^\\s*\\d+\\s*$",
        u"\\d$",
        u"^\\p{Nd}+$",
        u"^\\Q1",
        u"^\\u0031\\d*$",
        u"^$",
        u"^\\Q\\E$",
        u"^\\d*\\d*\\d*$",
        u"^\\d*1\\d*1\\d*$",
        u"^\\Q$^\\E\\d$",
        u"^\\d*+1$",
        u"^\\d*?1$",
        u"^1\\Z",
        u"^1\\z",
        u"(?m)^1$",
    };
    static const char16_t* const kParts[] = {
        u"^",         u"1",       u"3",     u"\\d", u"\\d*", u"\\d+", u"\\d{2}", u"[0-9]",
        u"[^0-9]",    u"(13|15)", u"(?=1)", u".",   u"$",    u"\\D",  u"\\s",    u"a|b",
        u"\\Q+86\\E", u"*",       u"(",     u")",   u"?",    u"\\+",  u"\\b",
    };
    Entry entry;
    if (chance(50)) {
      entry.expression = pick(kWhole);
    } else {
      const int parts = 1 + below(5);
      for (int i = 0; i < parts; ++i) entry.expression.append(pick(kParts));
    }
    return entry;
  }

  std::vector<Entry> list() {
    std::vector<Entry> entries(below(25));
    for (Entry& entry : entries) {
      const int kind = below(10);
      entry = kind < 5 ? editorEntry() : kind < 8 ? commandEntry() : handEntry();
    }
    return entries;
  }

  // A number that the entry matches, often changed a little afterwards.
  icu::UnicodeString numberFor(const Entry& entry) {
    icu::UnicodeString number;
    for (const Step& step : entry.steps) {
      if (step.kind == Step::kLiteral) {
        number.append(step.c);
      } else {
        const int count = step.kind == Step::kOne ? 1 : below(4);
        for (int i = 0; i < count; ++i) number.append(anyDigit());
      }
    }
    if (entry.steps.empty()) {
      for (int i = below(12); i > 0; --i) number.append(anyDigit());
    }
    mutate(number);
    return number;
  }

  icu::UnicodeString randomNumber() {
    icu::UnicodeString number;
    if (chance(10)) return number;
    if (chance(20)) number.append(u"+86");
    for (int i = below(14); i > 0; --i) {
      number.append(chance(85) ? anyDigit() : pick(kOthers));
    }
    mutate(number);
    return number;
  }

 private:
  void mutate(icu::UnicodeString& number) {
    const int kind = below(10);
    if (kind == 0 && !number.isEmpty()) {
      number.setCharAt(below(number.length()), static_cast<char16_t>(asciiDigit()));
    } else if (kind == 1) {
      number.insert(below(number.length() + 1), anyDigit());
    } else if (kind == 2 && !number.isEmpty()) {
      number.remove(below(number.length()), 1);  // may split a surrogate pair
    } else if (kind == 3 || kind == 4) {
      number.append(pick(kTerminators));
    } else if (kind == 5) {
      number.append(pick(kOthers));
    }
  }

  std::mt19937 random_;
};

TEST(BlacklistDifferentialTest, SameAnswerAsIcuInListOrder) {
  Generator generate(20240611);
  constexpr int kLists = 200;
  constexpr int kNumbersPerList = 200;
  int matched = 0;
  int total = 0;
  size_t automatonEntries = 0;
  size_t icuEntries = 0;
  for (int l = 0; l < kLists; ++l) {
    const std::vector<Entry> entries = generate.list();
    std::vector<icu::UnicodeString> expressions;
    std::vector<std::unique_ptr<icu::RegexPattern>> compiled;  // null: does not compile
    for (const Entry& entry : entries) {
      expressions.push_back(entry.expression);
      compiled.push_back(compileExpression(entry.expression));
    }
    const BlacklistMatcher matcher(expressions);
    automatonEntries += matcher.automatonEntryCount();
    icuEntries += matcher.icuEntryCount();

    for (int n = 0; n < kNumbersPerList; ++n) {
      const icu::UnicodeString number =
          entries.empty() || generate.chance(40)
              ? generate.randomNumber()
              : generate.numberFor(entries[generate.below(static_cast<int>(entries.size()))]);
      bool expected = false;
      for (const auto& pattern : compiled) {
        if (pattern && findsMatch(*pattern, number)) {
          expected = true;
          break;
        }
      }
      matched += expected;
      ++total;
      if (matcher.matches(number) != expected) {
        std::string list;
        for (const auto& e : expressions) list += "  " + toUtf8(e) + "\n";
        ADD_FAILURE() << "number \"" << toUtf8(number) << "\" (" << number.length()
                      << " units): ICU says " << expected << "\nlist:\n"
                      << list;
        return;
      }
    }
  }
  // The cases must exercise both answers and both kinds of entries.
  EXPECT_GT(matched, total / 5);
  EXPECT_LT(matched, total * 4 / 5);
  EXPECT_GT(automatonEntries, 1000u);
  EXPECT_GT(icuEntries, 100u);
}

}  // namespace
