// Time of one screening decision: default rules, long blacklists (compiled
// once per document and compiled for each call), and the caller-label lookup
// in a database of a million numbers.
//
//   screening_bench --benchmark_min_time=0.2
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "bench/device_root_main.h"
#include "hushgate/screening/caller_label_db.h"
#include "hushgate/screening/sqlite_handles.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/screening/icu_regex.h"
#include "statics/screening/screening.h"
#include "tests/screening/reference_screening.h"

namespace {

namespace fs = std::filesystem;

// Neither lookup finds anything: no number-location database, no labels.
const RegionLookup kNoRegion = [](const std::string&) { return std::string(); };
const LabelLookup kNoLabel = [](const std::string&) -> std::optional<std::string> {
  return std::nullopt;
};

IncomingCallInfo callFrom(std::string number) {
  IncomingCallInfo call;
  call.number = std::move(number);
  return call;
}

Json defaultRules() {
  Json pref = Preference::defaultPref();
  pref[kEnabledKey] = true;
  return pref;
}

constexpr const char* kUnlisted = "13800138000";

// The blacklist expression of an editor pattern of digits, "?" and "*".
std::string expressionOf(const std::string& pattern) {
  std::string expression = "^";
  for (const char c : pattern) {
    expression += c == '*' ? "\\d*" : c == '?' ? "\\d" : std::string(1, c);
  }
  return expression + "$";
}

// Entries as the blacklist editor writes them, none of which matches
// kUnlisted. Mobile numbers, some with a "?" or a trailing "*"; or, with
// endings, "*" followed by the last four to six digits of a number.
Json rulesWithBlacklist(int entries, bool endings = false) {
  Json pref = defaultRules();
  Json& list = pref[kBlacklistKey] = Json::array();
  const icu::UnicodeString unlisted(kUnlisted);
  std::mt19937 random(42);
  const auto digits = [&random](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  while (static_cast<int>(list.size()) < entries) {
    std::string pattern;
    if (endings) {
      pattern = "*" + digits(4 + static_cast<int>(random() % 3));
    } else {
      pattern = "1" + std::string(1, "3456789"[random() % 7]) + digits(9);
      if (random() % 10 == 0) pattern[4 + random() % 6] = '?';
      if (random() % 5 == 0) pattern.replace(7, std::string::npos, "*");
    }
    const std::string expression = expressionOf(pattern);
    const auto compiled = compileExpression(icu::UnicodeString::fromUTF8(expression));
    if (compiled && findsMatch(*compiled, unlisted)) continue;
    list.push_back({pattern, expression, ""});
  }
  return pref;
}

void checkNotBlocked(benchmark::State& state, const ScreeningResult& result) {
  if (result.reason != BlockReasonNone) state.SkipWithError("the number was blocked");
}

void BM_DefaultRules_CompiledOnce(benchmark::State& state) {
  const ScreeningRules rules(defaultRules());
  const IncomingCallInfo call = callFrom(kUnlisted);
  for (auto _ : state) {
    benchmark::DoNotOptimize(screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  }
}
BENCHMARK(BM_DefaultRules_CompiledOnce);

void BM_DefaultRules_CompiledPerCall(benchmark::State& state) {
  const Json pref = defaultRules();
  const IncomingCallInfo call = callFrom(kUnlisted);
  for (auto _ : state) {
    benchmark::DoNotOptimize(referenceScreenIncomingCall(call, pref, kNoRegion, kNoLabel));
  }
}
BENCHMARK(BM_DefaultRules_CompiledPerCall);

void BM_Blacklist_CompiledOnce(benchmark::State& state) {
  const ScreeningRules rules(rulesWithBlacklist(static_cast<int>(state.range(0))));
  const IncomingCallInfo call = callFrom(kUnlisted);
  checkNotBlocked(state, screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  for (auto _ : state) {
    benchmark::DoNotOptimize(screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  }
}
BENCHMARK(BM_Blacklist_CompiledOnce)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// 10,000 allow-list entries beside 10,000 blacklist entries, against the
// blacklist alone: what the allow-list adds to a passing call (it is tried
// twice, on the number as dialled and as judged).
void screenUnlisted(benchmark::State& state, const Json& pref) {
  const ScreeningRules rules(pref);
  const IncomingCallInfo call = callFrom(kUnlisted);
  checkNotBlocked(state, screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  for (auto _ : state) {
    benchmark::DoNotOptimize(screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  }
}

void BM_AllowlistAndBlacklist(benchmark::State& state) {
  Json pref = rulesWithBlacklist(10000);
  pref[kAllowlistKey] = rulesWithBlacklist(10000)[kBlacklistKey];
  screenUnlisted(state, pref);
}
BENCHMARK(BM_AllowlistAndBlacklist)->Unit(benchmark::kMicrosecond);

void BM_AllowlistAndBlacklist_Baseline(benchmark::State& state) {
  screenUnlisted(state, rulesWithBlacklist(10000));
}
BENCHMARK(BM_AllowlistAndBlacklist_Baseline)->Unit(benchmark::kMicrosecond);

// Many entries that begin with "*": the automaton keeps many states alive.
void BM_BlacklistEndings_CompiledOnce(benchmark::State& state) {
  const ScreeningRules rules(rulesWithBlacklist(static_cast<int>(state.range(0)), true));
  const IncomingCallInfo call = callFrom(kUnlisted);
  checkNotBlocked(state, screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  for (auto _ : state) {
    benchmark::DoNotOptimize(screenIncomingCall(call, rules, kNoRegion, kNoLabel));
  }
}
BENCHMARK(BM_BlacklistEndings_CompiledOnce)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Blacklist_CompiledPerCall(benchmark::State& state) {
  const Json pref = rulesWithBlacklist(static_cast<int>(state.range(0)));
  const IncomingCallInfo call = callFrom(kUnlisted);
  checkNotBlocked(state, referenceScreenIncomingCall(call, pref, kNoRegion, kNoLabel));
  for (auto _ : state) {
    benchmark::DoNotOptimize(referenceScreenIncomingCall(call, pref, kNoRegion, kNoLabel));
  }
}
BENCHMARK(BM_Blacklist_CompiledPerCall)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// What a preference reload costs with a long blacklist: the rules made from
// the document just read (moved in, as the reload does). Copying the
// document beforehand and freeing the rules afterwards (on the global queue
// in the reload) are not timed.
void BM_Blacklist_CompileDocument(benchmark::State& state) {
  const Json pref = rulesWithBlacklist(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    Json document = pref;
    state.ResumeTiming();
    auto rules = std::make_unique<const ScreeningRules>(std::move(document));
    benchmark::DoNotOptimize(rules.get());
    state.PauseTiming();
    rules.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Blacklist_CompileDocument)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The baseline of a reload: the same entries read from the document, parsed
// and sorted, and put into a plain trie whose states keep their children in
// a vector each.
void BM_Blacklist_CompileDocument_Baseline(benchmark::State& state) {
  const Json pref = rulesWithBlacklist(static_cast<int>(state.range(0)));
  const auto key = [](const BlacklistAtom& atom) {
    return static_cast<uint64_t>(atom.kind) << 32 | static_cast<uint32_t>(atom.codePoint);
  };
  struct Node {
    std::vector<std::pair<uint64_t, int32_t>> children;
    bool accepting = false;
  };
  for (auto _ : state) {
    std::vector<std::vector<BlacklistAtom>> entries;
    for (const Json& item : prefArray(pref, kBlacklistKey)) {
      const std::optional<PatternEntry> entry = readPatternEntry(item);
      if (!entry) continue;
      if (auto atoms = parseBlacklistExpression(icu::UnicodeString::fromUTF8(entry->expression))) {
        entries.push_back(std::move(*atoms));
      }
    }
    std::sort(entries.begin(), entries.end(), [&key](const auto& a, const auto& b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(),
          [&key](const BlacklistAtom& x, const BlacklistAtom& y) { return key(x) < key(y); });
    });
    std::vector<Node> trie(1);
    for (const std::vector<BlacklistAtom>& atoms : entries) {
      int32_t node = 0;
      for (const BlacklistAtom& atom : atoms) {
        std::vector<std::pair<uint64_t, int32_t>>& children = trie[node].children;
        if (!children.empty() && children.back().first == key(atom)) {
          node = children.back().second;
        } else {
          const int32_t next = static_cast<int32_t>(trie.size());
          children.push_back({key(atom), next});
          trie.emplace_back();
          node = next;
        }
      }
      trie[node].accepting = true;
    }
    benchmark::DoNotOptimize(trie.data());
    state.PauseTiming();
    trie = {};
    entries = {};
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Blacklist_CompileDocument_Baseline)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The caller-identification database: a million numbers, one label each out
// of a thousand, keyed as the lookup keys them ("86" + mobile number). Numbers
// are unique (an index, as the platform keeps one); the identification entries
// have the primary key (phone_number_id, label_id), so the join is indexed too.
constexpr int kNumbers = 1000000;
constexpr long long kFirstKey = 8613000000000;
constexpr int kStride = 37;

void exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

template <class Bind>
void insertRows(sqlite3* db, const char* sql, int count, Bind bind) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) std::abort();
  const SqliteStatement statement(raw);
  for (int i = 0; i < count; ++i) {
    bind(raw, i);
    if (sqlite3_step(raw) != SQLITE_DONE) std::abort();
    sqlite3_reset(raw);
  }
}

void makeLabelDatabase(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  sqlite3* raw = nullptr;
  sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  const SqliteConnection db(raw);
  exec(db.get(),
       "CREATE TABLE PhoneNumber (id INTEGER PRIMARY KEY, number INTEGER NOT NULL UNIQUE);"
       "CREATE TABLE Label (id INTEGER PRIMARY KEY, localized_label TEXT NOT NULL);"
       "CREATE TABLE PhoneNumberIdentificationEntry (phone_number_id INTEGER NOT NULL,"
       " label_id INTEGER NOT NULL, PRIMARY KEY (phone_number_id, label_id));"
       "BEGIN;");
  insertRows(db.get(), "INSERT INTO Label VALUES (?, ?)", 1000, [](sqlite3_stmt* s, int i) {
    const std::string label = "标记号码 " + std::to_string(i);
    sqlite3_bind_int(s, 1, i);
    sqlite3_bind_text(s, 2, label.c_str(), -1, SQLITE_TRANSIENT);
  });
  insertRows(db.get(), "INSERT INTO PhoneNumber VALUES (?, ?)", kNumbers,
             [](sqlite3_stmt* s, int i) {
               sqlite3_bind_int(s, 1, i);
               sqlite3_bind_int64(s, 2, kFirstKey + static_cast<long long>(i) * kStride);
             });
  insertRows(db.get(), "INSERT INTO PhoneNumberIdentificationEntry VALUES (?, ?)", kNumbers,
             [](sqlite3_stmt* s, int i) {
               sqlite3_bind_int(s, 1, i);
               sqlite3_bind_int(s, 2, i % 1000);
             });
  exec(db.get(), "COMMIT;");
}

// Made once, on first use, under the benchmark's own device root.
const std::string& labelDatabasePath() {
  static const std::string path = [] {
    const std::string p = CallerLabelDatabase::defaultPath();
    makeLabelDatabase(p);
    return p;
  }();
  return path;
}

void screenWithDatabase(benchmark::State& state, const char* number, bool found) {
  CallerLabelDatabase db(labelDatabasePath());
  const LabelLookup label = [&db](const std::string& n) { return db.lookupCallerLabel(n); };
  const ScreeningRules rules(defaultRules());
  const IncomingCallInfo call = callFrom(number);
  if (db.lookupCallerLabel(number).has_value() != found) state.SkipWithError("unexpected label");
  for (auto _ : state) {
    benchmark::DoNotOptimize(screenIncomingCall(call, rules, kNoRegion, label));
  }
}

// 8613000000037 is the second number of the database.
void BM_LabelDatabase_Found(benchmark::State& state) {
  screenWithDatabase(state, "13000000037", true);
}
BENCHMARK(BM_LabelDatabase_Found)->Unit(benchmark::kMicrosecond);

void BM_LabelDatabase_NotFound(benchmark::State& state) {
  screenWithDatabase(state, "13000000038", false);
}
BENCHMARK(BM_LabelDatabase_NotFound)->Unit(benchmark::kMicrosecond);

// The label lookup alone.
void BM_CallerLabel(benchmark::State& state) {
  CallerLabelDatabase db(labelDatabasePath());
  if (!db.lookupCallerLabel("13000000037")) state.SkipWithError("no label");
  for (auto _ : state) benchmark::DoNotOptimize(db.lookupCallerLabel("13000000037"));
}
BENCHMARK(BM_CallerLabel)->Unit(benchmark::kMicrosecond);

// The same query on a statement prepared once: bind, step, read, reset.
void BM_CallerLabel_Baseline(benchmark::State& state) {
  sqlite3* raw = nullptr;
  sqlite3_open_v2(labelDatabasePath().c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  const SqliteConnection db(raw);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(raw, kCallerLabelQuery, -1, &statement, nullptr) != SQLITE_OK) {
    state.SkipWithError("cannot prepare");
    return;
  }
  const SqliteStatement owned(statement);
  const std::string key = "8613000000037";
  for (auto _ : state) {
    sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    std::string label;
    if (sqlite3_step(statement) == SQLITE_ROW) {
      label = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_reset(statement);
    benchmark::DoNotOptimize(label);
  }
}
BENCHMARK(BM_CallerLabel_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace

// Runs under a fresh device root (HUSHGATE_ROOT), removed afterwards.
int main(int argc, char** argv) {
  return runBenchmarksInFreshDeviceRoot(argc, argv);
}
