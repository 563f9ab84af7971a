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
