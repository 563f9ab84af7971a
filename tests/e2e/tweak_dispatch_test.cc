// The tweak library loaded into processes of several bundle identifiers: it
// installs the hook group of its host, and nothing at all anywhere else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/bundle.h"
#include "platform/phone.h"
#include "platform/runtime.h"
#include "platform/springboard.h"
#include "platform/ui_application.h"
#include "platform/ui_table.h"
#include "platform/uikit.h"
#include "support/temp_root.h"

namespace {

using platform::id;
using platform::SEL;

void hostLaunch(id, SEL, id) {}
void hostCallEvent(id, SEL, platform::NSNotification*) {}
std::shared_ptr<platform::UITableViewCell> hostCell(id, SEL, platform::UITableView*,
                                                    platform::NSIndexPath*) {
  return nullptr;
}

struct Method {
  const char* cls;
  const char* sel;
};
constexpr Method kHooked[] = {
    {"SpringBoard", "applicationDidFinishLaunching:"},
    {"SBTelephonyManager", "callEventHandler:"},
    {"MobilePhoneApplication", "applicationDidFinishLaunching:"},
    {"MPRecentsTableViewController", "tableView:cellForRowAtIndexPath:"},
};

// Registers the classes of both hosts with their own methods.
void registerHostClasses() {
  platform::UIKitRegisterClasses();
  const auto add = [](const char* name, const char* sel, auto imp) {
    platform::Class cls = platform::objc_getClass(name);
    if (cls == nullptr) cls = platform::objc_registerClass(name, platform::NSObject::objcClass());
    platform::class_addMethod(cls, platform::sel_registerName(sel), imp, "v@:@");
  };
  add("SpringBoard", "applicationDidFinishLaunching:", &hostLaunch);
  add("SBTelephonyManager", "callEventHandler:", &hostCallEvent);
  add("MobilePhoneApplication", "applicationDidFinishLaunching:", &hostLaunch);
  add("MPRecentsTableViewController", "tableView:cellForRowAtIndexPath:", &hostCell);
}

std::map<std::string, platform::IMP> implementations() {
  std::map<std::string, platform::IMP> imps;
  for (const Method& m : kHooked) {
    imps[std::string(m.cls) + " " + m.sel] = platform::class_getMethodImplementation(
        platform::objc_getClass(m.cls), platform::sel_registerName(m.sel));
  }
  return imps;
}

// In a child process: loads the tweak as bundleIdentifier and exits with the
// number of hooked methods (0 to 4) plus 10 when the row actions were added.
void loadTweakAndExitWithHookCount(const char* bundleIdentifier) {
  platform::setMainBundleIdentifier(bundleIdentifier);
  registerHostClasses();
  const auto before = implementations();
  if (dlopen(HUSHGATE_TWEAK, RTLD_NOW | RTLD_GLOBAL) == nullptr) {
    std::fprintf(stderr, "dlopen: %s\n", dlerror());
    std::_Exit(100);
  }
  const auto after = implementations();
  int hooked = 0;
  for (const auto& [name, imp] : before) hooked += after.at(name) != imp ? 1 : 0;
  const bool addedActions = platform::class_respondsToSelector(
      platform::objc_getClass("MPRecentsTableViewController"),
      platform::sel_registerName("tableView:editActionsForRowAtIndexPath:"));
  std::_Exit(hooked + (addedActions ? 10 : 0));
}

class TweakDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  testing_support::TempDeviceRoot root_;
};

TEST_F(TweakDispatchTest, OtherProcessesGetNoHooksAndNoRegistrations) {
  EXPECT_EXIT(loadTweakAndExitWithHookCount("com.example.notes"), testing::ExitedWithCode(0), "");
  EXPECT_EXIT(loadTweakAndExitWithHookCount(""), testing::ExitedWithCode(0), "");
  // Nothing was registered for or written on the device.
  EXPECT_FALSE(std::filesystem::exists(root_.at("/run/notify")));
  EXPECT_FALSE(std::filesystem::exists(root_.at("/var/mobile/Containers")));
}

TEST_F(TweakDispatchTest, HomeScreenGetsItsTwoHooks) {
  EXPECT_EXIT(loadTweakAndExitWithHookCount("com.apple.springboard"), testing::ExitedWithCode(2),
              "");
}

TEST_F(TweakDispatchTest, PhoneApplicationGetsItsHooksUnlessSwitchedOff) {
  EXPECT_EXIT(loadTweakAndExitWithHookCount("com.apple.mobilephone"), testing::ExitedWithCode(12),
              "");
  root_.write(
      "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
      "hushgate-pref.json",
      R"({"mp-injection-enabled":false})");
  EXPECT_EXIT(loadTweakAndExitWithHookCount("com.apple.mobilephone"), testing::ExitedWithCode(0),
              "");
}

}  // namespace
