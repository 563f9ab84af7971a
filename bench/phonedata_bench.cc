// PhoneData::lookUp against libphonenumber's geocoder on the same 1,000,000
// random mobile numbers, and the load time of the database file. Both
// lookups take a number as text: the geocoder parses it, then describes it.
// Prints ns per lookup of both and their ratio at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "statics/MobileRegionDetector.h"
#include "statics/phonedata.h"
#include "tools/phonedata/geocoder.h"

namespace {

constexpr size_t kNumbers = 1000000;
constexpr const char* kLookUp = "BM_PhoneDataLookUp";
constexpr const char* kGeocoder = "BM_GeocoderDescribeNumber";

const std::vector<std::string>& numbers() {
  static const std::vector<std::string> all = [] {
    std::mt19937_64 random(20240607);
    std::uniform_int_distribution<uint64_t> distribution(13000000000ULL, 19999999999ULL);
    std::vector<std::string> list;
    list.reserve(kNumbers);
    for (size_t i = 0; i < kNumbers; ++i) list.push_back(std::to_string(distribution(random)));
    return list;
  }();
  return all;
}

std::string databasePath() {
  const std::optional<std::string> path = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  if (!path) {
    std::fprintf(stderr, "no phone-*.dat in %s\n", HUSHGATE_PHONEDATA_DIR);
    std::exit(1);
  }
  return *path;
}

void BM_PhoneDataLookUp(benchmark::State& state) {
  const PhoneData db(databasePath());
  const std::vector<std::string>& list = numbers();
  size_t next = 0;
  size_t hits = 0;
  for (auto _ : state) {
    const PhoneRecord record = db.lookUp(list[next]);
    hits += !record.empty();
    benchmark::DoNotOptimize(record);
    if (++next == list.size()) next = 0;
  }
  state.counters["hits"] =
      benchmark::Counter(static_cast<double>(hits), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PhoneDataLookUp)->Iterations(kNumbers);

// The index's prefixes, read from the file as the reader lays them out.
std::vector<uint32_t> prefixesOf(const std::string& path) {
  const PhoneData db(path);
  std::vector<uint32_t> prefixes;
  for (uint32_t prefix = 1000000; prefix <= 9999999; ++prefix) {
    if (!db._lookUp(prefix).empty()) prefixes.push_back(prefix);
  }
  return prefixes;
}

// The seven-digit prefix of a number as text, as lookUp reads it.
uint32_t prefixOf(const std::string& number) {
  uint32_t prefix = 0;
  for (size_t i = 0; i < 7; ++i) prefix = prefix * 10 + static_cast<uint32_t>(number[i] - '0');
  return prefix;
}

// The baseline of the search: lower_bound over the prefixes as a uint32
// array, giving the entry's position (no record is built).
void BM_PhoneDataLookUp_Baseline(benchmark::State& state) {
  const std::vector<uint32_t> prefixes = prefixesOf(databasePath());
  const std::vector<std::string>& list = numbers();
  size_t next = 0;
  size_t hits = 0;
  for (auto _ : state) {
    const uint32_t prefix = prefixOf(list[next]);
    const auto it = std::lower_bound(prefixes.begin(), prefixes.end(), prefix);
    hits += it != prefixes.end() && *it == prefix;
    benchmark::DoNotOptimize(it);
    if (++next == list.size()) next = 0;
  }
  state.counters["hits"] =
      benchmark::Counter(static_cast<double>(hits), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PhoneDataLookUp_Baseline)->Iterations(kNumbers);

// Warm: the same 1,000 listed numbers over and over.
std::vector<std::string> warmNumbers(const std::vector<uint32_t>& prefixes) {
  std::vector<std::string> list;
  for (size_t i = 0; i < 1000; ++i) {
    list.push_back(std::to_string(prefixes[i * 7919 % prefixes.size()]) + "1234");
  }
  return list;
}

void BM_PhoneDataLookUpWarm(benchmark::State& state) {
  const PhoneData db(databasePath());
  const std::vector<std::string> list = warmNumbers(prefixesOf(databasePath()));
  size_t next = 0;
  for (auto _ : state) {
    const PhoneRecord record = db.lookUp(list[next]);
    benchmark::DoNotOptimize(record);
    if (++next == list.size()) next = 0;
  }
}
BENCHMARK(BM_PhoneDataLookUpWarm);

// The baseline of the warm search: a table of entry positions indexed by
// the prefix (36 MB; no record is built).
void warmTableBaseline(benchmark::State& state) {
  const std::vector<uint32_t> prefixes = prefixesOf(databasePath());
  std::vector<int32_t> table(10000000, -1);
  for (size_t i = 0; i < prefixes.size(); ++i) table[prefixes[i]] = static_cast<int32_t>(i);
  const std::vector<std::string> list = warmNumbers(prefixes);
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table[prefixOf(list[next])]);
    if (++next == list.size()) next = 0;
  }
}

void BM_PhoneDataLookUpWarm_Baseline(benchmark::State& state) {
  warmTableBaseline(state);
}
BENCHMARK(BM_PhoneDataLookUpWarm_Baseline);

// The region code alone, as the region detector asks for it: no record is
// built. Its baseline is the warm search's.
void BM_PhoneDataRegionCodeOfWarm(benchmark::State& state) {
  const PhoneData db(databasePath());
  const std::vector<std::string> list = warmNumbers(prefixesOf(databasePath()));
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(db.regionCodeOf(list[next]));
    if (++next == list.size()) next = 0;
  }
}
BENCHMARK(BM_PhoneDataRegionCodeOfWarm);

void BM_PhoneDataRegionCodeOfWarm_Baseline(benchmark::State& state) {
  warmTableBaseline(state);
}
BENCHMARK(BM_PhoneDataRegionCodeOfWarm_Baseline);

// MobileRegionDetector::detectRegionCode, the text the screening gets, on the
// same numbers; its baseline is the warm search's.
void BM_DetectRegionCodeWarm(benchmark::State& state) {
  const MobileRegionDetector detector(HUSHGATE_PHONEDATA_DIR);
  const std::vector<std::string> list = warmNumbers(prefixesOf(databasePath()));
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(detector.detectRegionCode(list[next]));
    if (++next == list.size()) next = 0;
  }
}
BENCHMARK(BM_DetectRegionCodeWarm);

void BM_DetectRegionCodeWarm_Baseline(benchmark::State& state) {
  warmTableBaseline(state);
}
BENCHMARK(BM_DetectRegionCodeWarm_Baseline);

void BM_GeocoderDescribeNumber(benchmark::State& state) {
  const phonedata::Geocoder geocoder;
  geocoder.describeNumber("13800138000");  // loads the geocoder's data
  const std::vector<std::string>& list = numbers();
  size_t next = 0;
  size_t hits = 0;
  for (auto _ : state) {
    const std::string place = geocoder.describeNumber(list[next]);
    hits += !place.empty();
    benchmark::DoNotOptimize(place);
    if (++next == list.size()) next = 0;
  }
  state.counters["hits"] =
      benchmark::Counter(static_cast<double>(hits), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_GeocoderDescribeNumber)->Iterations(kNumbers);

void BM_PhoneDataLoad(benchmark::State& state) {
  const std::string path = databasePath();
  for (auto _ : state) {
    const PhoneData db(path);
    benchmark::DoNotOptimize(db.entryCount());
  }
}
BENCHMARK(BM_PhoneDataLoad)->Unit(benchmark::kMillisecond);

// What the main screen's first paint waits for to show the database's
// version: the header alone, against loading the database as the region
// detector does.
void BM_DatabaseVersion(benchmark::State& state) {
  const std::string path = databasePath();
  for (auto _ : state) benchmark::DoNotOptimize(readPhoneDataVersion(path));
}
BENCHMARK(BM_DatabaseVersion)->Unit(benchmark::kMicrosecond);

void BM_DatabaseVersion_Baseline(benchmark::State& state) {
  for (auto _ : state) {
    const MobileRegionDetector detector(HUSHGATE_PHONEDATA_DIR);
    benchmark::DoNotOptimize(detector.dbVersion());
  }
}
BENCHMARK(BM_DatabaseVersion_Baseline)->Unit(benchmark::kMicrosecond);

// The console report, keeping the real time per iteration of each run
// (several with --benchmark_repetitions) to print the medians and their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      nanoseconds_[name.substr(0, name.find('/'))].push_back(
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printRatio() {
    const double lookUp = median(kLookUp);
    const double geocoder = median(kGeocoder);
    if (lookUp <= 0 || geocoder <= 0) return;
    std::printf(
        "\nper lookup (median of %zu runs): PhoneData::lookUp %.1f ns, geocoder %.1f ns; "
        "PhoneData::lookUp is %.0f times faster\n",
        nanoseconds_[kLookUp].size(), lookUp, geocoder, geocoder / lookUp);
  }

 private:
  double median(const std::string& name) {
    std::vector<double>& times = nanoseconds_[name];
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  std::map<std::string, std::vector<double>> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  numbers();  // made before any timing
  RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                               : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio();
  benchmark::Shutdown();
  return 0;
}
