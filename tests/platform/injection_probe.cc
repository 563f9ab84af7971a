// A library for the injection tests. Its load-time constructor appends
// "<PROBE_NAME> <bundle identifier>" to <device root>/injection-log.txt and,
// when the loading process has registered the class "InjectionProbeTarget",
// hooks its "value" method to add 100 to the result.
#include <fstream>
#include <string>

#include "platform/bundle.h"
#include "platform/paths.h"
#include "platform/runtime.h"

namespace {

using ValueIMP = int (*)(platform::id, platform::SEL);
ValueIMP originalValue = nullptr;

int hookedValue(platform::id self, platform::SEL cmd) {
  return originalValue(self, cmd) + 100;
}

__attribute__((constructor)) void probeLoaded() {
  std::ofstream log(platform::devicePath("/injection-log.txt"), std::ios::app);
  log << PROBE_NAME << " " << platform::mainBundleIdentifier() << "\n";
  platform::MSHookMessageEx(platform::objc_getClass("InjectionProbeTarget"),
                            platform::sel_registerName("value"), &hookedValue, &originalValue);
}

}  // namespace
