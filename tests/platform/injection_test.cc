#include "platform/injection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "platform/runtime.h"
#include "support/temp_root.h"

namespace {

namespace fs = std::filesystem;

constexpr char kProbeA[] = INJECTION_PROBE_A;
constexpr char kProbeB[] = INJECTION_PROBE_B;

int targetValue(platform::id, platform::SEL) {
  return 1;
}

class InjectionTest : public ::testing::Test {
 protected:
  ~InjectionTest() override { platform::setMainBundleIdentifier(""); }

  std::string injected(const std::string& name) const {
    return root_.at("/Library/MobileSubstrate/DynamicLibraries/" + name);
  }
  void install(const char* library, const std::string& name) const {
    fs::create_directories(fs::path(injected(name)).parent_path());
    fs::copy_file(library, injected(name));
  }

  testing_support::TempDeviceRoot root_;
};

TEST_F(InjectionTest, LoadsLibrariesInNameOrderAndSkipsBrokenOnes) {
  // The probes hook this class of the loading process: the runtime is shared.
  const platform::Class target =
      platform::objc_registerClass("InjectionProbeTarget", platform::NSObject::objcClass());
  ASSERT_NE(target, nullptr);
  ASSERT_TRUE(
      platform::class_addMethod(target, platform::sel_registerName("value"), &targetValue, "i@:"));

  install(kProbeA, "20-a.so");
  install(kProbeB, "10-b.so");
  root_.write("/Library/MobileSubstrate/DynamicLibraries/15-broken.so", "not a library");
  root_.write("/Library/MobileSubstrate/DynamicLibraries/05-notes.txt", "not loaded");
  fs::create_directories(injected("30-folder.so"));
  install(kProbeA, "40-a.so.disabled");

  platform::setMainBundleIdentifier("com.example.host");
  testing::internal::CaptureStderr();
  const std::vector<std::string> loaded = platform::loadInjectedLibraries();
  const std::string errors = testing::internal::GetCapturedStderr();

  EXPECT_EQ(loaded, (std::vector<std::string>{injected("10-b.so"), injected("20-a.so")}));
  EXPECT_NE(errors.find("15-broken.so"), std::string::npos) << errors;
  // Each constructor saw the host's bundle identifier, in name order.
  EXPECT_EQ(root_.read("/injection-log.txt"), "b com.example.host\na com.example.host\n");

  auto object = std::make_shared<platform::NSObject>(target);
  EXPECT_EQ(platform::objc_msgSend<int>(object.get(), platform::sel_registerName("value")), 201);
}

TEST_F(InjectionTest, MissingFolderLoadsNothing) {
  EXPECT_TRUE(platform::loadInjectedLibraries().empty());
  EXPECT_EQ(platform::injectionDirectory(), root_.at("/Library/MobileSubstrate/DynamicLibraries"));
}

}  // namespace
