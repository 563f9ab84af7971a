// A real Evolution Data Server for a test: a session bus of its own (the
// system's session set-up, so the bus starts the registry and the
// address-book factory from their service files) listening in the test's
// folder, the XDG folders of the test, and the phone's Chinese locale made for
// the test in its own folder (the address book reads national numbers in the
// locale's region). The environment points at it while the object lives; the
// services end with their bus.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace modem_testing {

class EdsSession {
 public:
  EdsSession();
  ~EdsSession();
  EdsSession(const EdsSession&) = delete;
  EdsSession& operator=(const EdsSession&) = delete;

  bool running() const { return !address_.empty(); }

  // Adds the vCards to the built-in personal address book; why it failed, or
  // nullopt.
  std::optional<std::string> addContacts(const std::vector<std::string>& cards) const;

 private:
  std::string folder_;  // removed afterwards
  std::unique_ptr<testing_support::ChildProcess> bus_;
  std::string address_;
  std::optional<std::string> previousLang_;
};

}  // namespace modem_testing
