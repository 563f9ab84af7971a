#include "platform/paths.h"

#include <gtest/gtest.h>

#include "env_var.h"
#include "support/temp_root.h"

namespace {

using platform_testing::ScopedEnv;

struct RootCase {
  const char* label;
  const char* hushgateRoot;  // nullptr: unset
  const char* xdgDataHome;   // nullptr: unset
  const char* home;
  const char* expected;
};

TEST(DeviceRootTest, FollowsEnvironment) {
  const RootCase cases[] = {
      {"explicit root", "/srv/phone", "/x/data", "/home/u", "/srv/phone"},
      {"trailing slashes dropped", "/srv/phone///", nullptr, "/home/u", "/srv/phone"},
      {"filesystem root kept", "/", nullptr, "/home/u", "/"},
      {"empty root falls back to XDG", "", "/x/data", "/home/u", "/x/data/hushgate/device"},
      {"unset root falls back to XDG", nullptr, "/x/data/", "/home/u", "/x/data/hushgate/device"},
      {"no XDG: home", nullptr, nullptr, "/home/u", "/home/u/.local/share/hushgate/device"},
      {"empty XDG: home", nullptr, "", "/home/u", "/home/u/.local/share/hushgate/device"},
      {"relative XDG ignored", nullptr, "rel/data", "/home/u",
       "/home/u/.local/share/hushgate/device"},
  };
  for (const RootCase& c : cases) {
    SCOPED_TRACE(c.label);
    ScopedEnv root("HUSHGATE_ROOT", c.hushgateRoot);
    ScopedEnv xdg("XDG_DATA_HOME", c.xdgDataHome);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(platform::deviceRoot(), c.expected);
  }
}

TEST(DeviceRootTest, ReadsEnvironmentOnEveryCall) {
  testing_support::TempDeviceRoot first;
  EXPECT_EQ(platform::deviceRoot(), first.path());
  {
    testing_support::TempDeviceRoot second;
    EXPECT_EQ(platform::deviceRoot(), second.path());
  }
  EXPECT_EQ(platform::deviceRoot(), first.path());
}

struct JoinCase {
  const char* root;
  const char* devicePath;
  const char* expected;
};

TEST(DevicePathTest, JoinsUnderRoot) {
  const JoinCase cases[] = {
      {"/r", "/var/mobile/hushgate", "/r/var/mobile/hushgate"},
      {"/r/", "/var/mobile/hushgate.log", "/r/var/mobile/hushgate.log"},
      {"/r", "var/mobile", "/r/var/mobile"},
      {"/r", "", "/r/"},
      {"/r", "/", "/r/"},
      {"/", "/var/mobile", "/var/mobile"},
      {"/", "var/mobile", "/var/mobile"},
  };
  for (const JoinCase& c : cases) {
    SCOPED_TRACE(std::string(c.root) + " + " + c.devicePath);
    ScopedEnv root("HUSHGATE_ROOT", c.root);
    EXPECT_EQ(platform::devicePath(c.devicePath), c.expected);
  }
}

TEST(DevicePathTest, MatchesTempRootLayout) {
  testing_support::TempDeviceRoot root;
  EXPECT_EQ(platform::devicePath("/var/mobile/Library/CallDirectory/CallDirectory.db"),
            root.at("/var/mobile/Library/CallDirectory/CallDirectory.db"));
}

}  // namespace
