#include "modem_rig.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <ModemManager.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "statics/contracts/block_record.h"
#include "statics/contracts/names.h"
#include "statics/history_file.h"
#include "support/private_bus.h"

namespace modem_testing {

namespace {

std::unique_ptr<testing_support::ChildProcess> startChild(const std::vector<std::string>& argv,
                                                          bool pipeInput) {
  auto child =
      testing_support::ChildProcess::start(argv, {.pipeInput = pipeInput, .captureErrors = true});
  EXPECT_NE(child, nullptr) << "cannot start " << argv[0];
  return child;
}

// A program of PATH, as a shell finds it.
std::string programInPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return name;
}

}  // namespace

std::optional<std::string> LineChild::waitFor(const std::function<bool(const std::string&)>& match,
                                              std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (child_ != nullptr) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= 0ms) break;
    std::optional<std::string> line = child_->readLine(left);
    if (!line) break;
    lines_.push_back(*line);
    if (match(*line)) return line;
  }
  return std::nullopt;
}

ModemRig::ModemRig() {
  const std::filesystem::path injection =
      root_.at("/Library/MobileSubstrate/DynamicLibraries/hushgate.so");
  std::filesystem::create_directories(injection.parent_path());
  std::filesystem::copy_file(HUSHGATE_TWEAK, injection);

  const std::string socket = root_.path() + "/bus";
  const std::string config = root_.path() + "/bus.conf";
  testing_support::writePrivateBusConfig(config, socket, testing_support::BusType::kSystem);
  bus_ = std::make_unique<LineChild>(startChild(
      {programInPath("dbus-daemon"), "--config-file=" + config, "--nofork", "--print-address"},
      false));
  const std::optional<std::string> address = bus_->waitFor([](const std::string&) { return true; });
  EXPECT_TRUE(address) << "dbus-daemon did not start: "
                       << (bus_->running() ? bus_->process().errors() : "");
  busAddress_ = address.value_or("");
  setenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress_.c_str(), 1);
}

ModemRig::~ModemRig() {
  if (host_ && HasFailure()) {
    std::cerr << "hushgate-modem's log:\n" << host_->process().errors() << "\n";
  }
  host_.reset();
  modemManager_.reset();
  bus_.reset();
  unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

void ModemRig::writeRules(const std::string& json) const {
  root_.write(kPrefFilePath, json);
}

std::string ModemRig::writeVCards(const std::string& text) const {
  const std::string path = root_.path() + "/contacts.vcf";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void ModemRig::startModemManager() {
  modemManager_ = std::make_unique<LineChild>(startChild({FAKE_MODEMMANAGER}, true));
  ASSERT_TRUE(modemManager_->waitFor([](const std::string& line) { return line == "ready"; }))
      << modemManager_->process().errors();
}

void ModemRig::stopModemManager() {
  modemManager_->process().closeInput();
  EXPECT_TRUE(testing_support::exitedWith(modemManager_->process().wait(kPatience), 0));
  modemManager_.reset();
}

std::string ModemRig::tell(const std::string& command, const std::string& expected) {
  EXPECT_TRUE(modemManager_->process().write(command + "\n"));
  const std::optional<std::string> answer = modemManager_->waitFor([&](const std::string& line) {
    return line.rfind(expected, 0) == 0 || line.rfind("error", 0) == 0;
  });
  EXPECT_TRUE(answer && answer->rfind(expected, 0) == 0)
      << command << ": " << answer.value_or("no answer");
  return answer.value_or("");
}

void ModemRig::startHost(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {HUSHGATE_MODEM};
  argv.insert(argv.end(), args.begin(), args.end());
  host_ = std::make_unique<LineChild>(startChild(argv, false));
}

std::optional<int> ModemRig::stopHost(std::chrono::milliseconds patience) {
  host_->process().signal(SIGTERM);
  return host_->process().exitStatus(patience);
}

Json ModemRig::waitForReport(const std::string& key, const Json& value, std::optional<int> status) {
  Json found;
  host_->waitFor([&](const std::string& line) {
    const Json report = Json::parse(line, nullptr, false);
    if (!report.is_object() || !report.contains(key) || report[key] != value) return false;
    if (status && report.value("status", -1) != *status) return false;
    found = report;
    return true;
  });
  EXPECT_FALSE(found.is_null()) << "no report with " << key << " = " << value.dump()
                                << (status ? " and status " + std::to_string(*status) : "");
  return found;
}

void ModemRig::waitForModem(const std::string& id, bool voice) {
  const Json report = waitForReport("modem", modemPath(id));
  EXPECT_EQ(report.value("voice", !voice), voice) << report.dump();
}

std::vector<BlockRecord> ModemRig::history() const {
  std::vector<BlockRecord> records;
  std::ifstream in(mpHistoryFilePathFromOutside());
  std::string line;
  while (std::getline(in, line)) {
    if (std::optional<BlockRecord> record = parseBlockRecordLine(line)) records.push_back(*record);
  }
  return records;
}

std::vector<BlockRecord> ModemRig::waitForHistory(size_t count) const {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::vector<BlockRecord> records = history();
  while (records.size() < count && std::chrono::steady_clock::now() < deadline) {
    // The records are appended off the host's main queue; look again shortly.
    std::this_thread::sleep_for(20ms);
    records = history();
  }
  return records;
}

std::string ModemRig::callPath(const std::string& id) {
  return std::string(MM_DBUS_CALL_PREFIX) + "/" + id;
}

std::string ModemRig::modemPath(const std::string& id) {
  return std::string(MM_DBUS_MODEM_PREFIX) + "/" + id;
}

}  // namespace modem_testing
