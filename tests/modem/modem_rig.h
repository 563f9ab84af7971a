// The set-up of the modem host's tests: a private dbus-daemon with its socket
// in the test's device root, the ModemManager stand-in on it, and the real
// hushgate-modem with the real tweak injected, each a child process that is
// ended with the test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "statics/contracts/block_record.h"
#include "support/child_process.h"
#include "support/temp_root.h"

namespace modem_testing {

using namespace std::chrono_literals;
using Json = nlohmann::json;

inline constexpr auto kPatience = 30s;

// A process that answers in lines: the stand-in or the host.
class LineChild {
 public:
  explicit LineChild(std::unique_ptr<testing_support::ChildProcess> child)
      : child_(std::move(child)) {}
  bool running() const { return child_ != nullptr; }
  testing_support::ChildProcess& process() { return *child_; }
  // The first line from now on that satisfies match; every line read is kept.
  std::optional<std::string> waitFor(const std::function<bool(const std::string&)>& match,
                                     std::chrono::milliseconds patience = kPatience);
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::unique_ptr<testing_support::ChildProcess> child_;
  std::vector<std::string> lines_;
};

class ModemRig : public ::testing::Test {
 protected:
  ModemRig();
  ~ModemRig() override;

  // The main preference document, before or while the host runs.
  void writeRules(const std::string& json) const;
  // A vCard file in the test folder; its path.
  std::string writeVCards(const std::string& text) const;

  // The stand-in: started, then a command and its answer (a line starting
  // with expected).
  void startModemManager();
  void stopModemManager();
  std::string tell(const std::string& command, const std::string& expected);
  // The host, with arguments (default: no address book).
  void startHost(const std::vector<std::string>& args = {"--contacts", "none"});
  // Asks the host to stop and returns its exit status.
  std::optional<int> stopHost(std::chrono::milliseconds patience = kPatience);

  // The host's next report that has member key equal to value (and, when
  // given, "status").
  Json waitForReport(const std::string& key, const Json& value,
                     std::optional<int> status = std::nullopt);
  // The host reports that a modem is followed (or no longer).
  void waitForModem(const std::string& id, bool voice);

  // The records of the block history file.
  std::vector<BlockRecord> history() const;
  // Waits until the history holds count records.
  std::vector<BlockRecord> waitForHistory(size_t count) const;

  static std::string callPath(const std::string& id);
  static std::string modemPath(const std::string& id);

  testing_support::TempDeviceRoot root_;
  std::string busAddress_;
  std::unique_ptr<LineChild> bus_;
  std::unique_ptr<LineChild> modemManager_;
  std::unique_ptr<LineChild> host_;
};

}  // namespace modem_testing
