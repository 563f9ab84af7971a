#include "platform/bundle.h"

#include <gtest/gtest.h>

#include "platform/version.h"
#include "support/temp_root.h"

namespace {

constexpr char kContainers[] = "/var/mobile/Containers/Data/Application/";

// Restores the process's bundle information after each test.
class BundleTest : public ::testing::Test {
 protected:
  ~BundleTest() override {
    platform::setMainBundleIdentifier("");
    platform::setMainBundleShortVersion(HUSHGATE_VERSION);
  }
  testing_support::TempDeviceRoot root_;
};

TEST_F(BundleTest, IdentifierAndVersion) {
  EXPECT_EQ(platform::mainBundleIdentifier(), "");
  EXPECT_EQ(platform::mainBundleShortVersion(), HUSHGATE_VERSION);
  platform::setMainBundleIdentifier("com.apple.springboard");
  platform::setMainBundleShortVersion("2.0.1");
  EXPECT_EQ(platform::mainBundleIdentifier(), "com.apple.springboard");
  EXPECT_EQ(platform::mainBundleShortVersion(), "2.0.1");
}

TEST_F(BundleTest, DataContainerUnderDeviceRoot) {
  EXPECT_EQ(platform::dataContainerPathForIdentifier("com.apple.mobilephone"),
            root_.at(std::string(kContainers) + "com.apple.mobilephone"));
}

TEST_F(BundleTest, HomeDirectoryDependsOnRunningApplication) {
  using platform::HomeDirectory;
  const struct {
    const char* identifier;
    HomeDirectory home;
    std::string expected;
  } cases[] = {
      {"", HomeDirectory::kUserFolder, "/var/mobile"},
      {"com.apple.springboard", HomeDirectory::kUserFolder, "/var/mobile"},
      {"com.example.app", HomeDirectory::kUserFolder, "/var/mobile"},
      {"com.apple.mobilephone", HomeDirectory::kDataContainer,
       std::string(kContainers) + "com.apple.mobilephone"},
      {"com.example.app", HomeDirectory::kDataContainer,
       std::string(kContainers) + "com.example.app"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.identifier);
    platform::setMainBundleIdentifier(c.identifier, c.home);
    EXPECT_EQ(platform::NSHomeDirectory(), root_.at(c.expected));
  }
}

TEST_F(BundleTest, BundleProxyForIdentifier) {
  const struct {
    const char* identifier;
    bool valid;
  } cases[] = {
      {"com.apple.mobilephone", true},
      {"com.tevrin.hushgate", true},
      {"", false},
      {".", false},
      {"..", false},
      {"../etc", false},
      {"com/apple", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.identifier);
    const auto proxy = platform::LSBundleProxy::bundleProxyForIdentifier(c.identifier);
    ASSERT_EQ(proxy.has_value(), c.valid);
    if (!proxy) continue;
    EXPECT_EQ(proxy->bundleIdentifier(), c.identifier);
    EXPECT_EQ(proxy->dataContainerURL(), root_.at(std::string(kContainers) + c.identifier));
  }
}

}  // namespace
