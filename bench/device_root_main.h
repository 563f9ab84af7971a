// The main function of a benchmark program that works on a device root: runs
// the benchmarks named on the command line under a fresh temporary root
// (HUSHGATE_ROOT), after prepare(root) when given, and removes the root
// afterwards. Returns the program's exit status.
#pragma once

#include <functional>
#include <string>

int runBenchmarksInFreshDeviceRoot(
    int argc, char** argv, const std::function<void(const std::string& root)>& prepare = {});
