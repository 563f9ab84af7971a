// The configuration of a private D-Bus daemon for a test: it listens on a
// socket of the test's own, starts no service by name, and lets every
// connection own any name and send anywhere.
#pragma once

#include <string>

namespace testing_support {

enum class BusType { kSystem, kSession };

// Writes the configuration to configPath; false when it cannot.
bool writePrivateBusConfig(const std::string& configPath, const std::string& socketPath,
                           BusType type);

}  // namespace testing_support
