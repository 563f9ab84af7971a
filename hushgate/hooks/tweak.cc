// The tweak's entry point: when the library is loaded into a process, it
// reads the host's bundle identifier and installs that host's hook group. In
// any other process it does nothing.

#include <string>

#include "hushgate/hooks/mobilephone_hooks.h"
#include "hushgate/hooks/springboard_hooks.h"
#include "platform/bundle.h"
#include "statics/Preference.h"

namespace {

__attribute__((constructor)) void hushgateLoaded() {
  const std::string host = platform::mainBundleIdentifier();
  if (host == kSpringBoardBundleIdentifier) {
    installSpringboardHooks();
  } else if (host == kMobilePhoneBundleIdentifier) {
    // Read once per start of the Phone application: a change takes effect at
    // its next start.
    if (prefBool(Preference::loadMPPref(), kMPInjectionEnabledKey)) installMobilephoneHooks();
  }
}

}  // namespace
