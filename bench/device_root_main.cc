#include "bench/device_root_main.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

int runBenchmarksInFreshDeviceRoot(int argc, char** argv,
                                   const std::function<void(const std::string& root)>& prepare) {
  std::string root = (fs::temp_directory_path() / "hushgate-bench-XXXXXX").string();
  if (mkdtemp(root.data()) == nullptr) return 1;
  setenv("HUSHGATE_ROOT", root.c_str(), 1);
  if (prepare) prepare(root);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return 0;
}
