// What the host tests share: the programs, the probe library, and a fresh
// device root.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_root.h"

namespace hosts_testing {

using namespace std::chrono_literals;

inline constexpr auto kPatience = 10s;
inline constexpr char kSpringBoardBin[] = SPRINGBOARD_BIN;
inline constexpr char kMobilePhoneBin[] = MOBILEPHONE_BIN;
inline constexpr char kProbeTweak[] = PROBE_TWEAK;
inline constexpr char kHistoryFile[] =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
    "hushgate-history.txt";

struct HostRun {
  std::optional<int> status;
  std::vector<std::string> lines;
  std::string errors;
};

class HostTest : public ::testing::Test {
 protected:
  // Puts the probe library into the injection folder.
  void injectProbe() const {
    const std::filesystem::path target =
        root_.at("/Library/MobileSubstrate/DynamicLibraries/probe.so");
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(kProbeTweak, target);
  }

  std::unique_ptr<testing_support::ChildProcess> start(const std::string& program,
                                                       const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child =
        testing_support::ChildProcess::start(argv, {.pipeInput = true, .captureErrors = true});
    EXPECT_NE(child, nullptr) << "cannot start " << program;
    return child;
  }

  // Runs a program with input on standard input to its end.
  HostRun runHost(const std::string& program, const std::vector<std::string>& args,
                  const std::string& input = "") const {
    HostRun result;
    auto child = start(program, args);
    if (child == nullptr) return result;
    child->write(input);
    child->closeInput();
    result.lines = child->readLines(kPatience);
    result.status = child->exitStatus(kPatience);
    result.errors = child->errors();
    return result;
  }

  testing_support::TempDeviceRoot root_;
};

}  // namespace hosts_testing
