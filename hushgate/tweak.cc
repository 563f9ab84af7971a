// The tweak's entry point: when the library is loaded into a process, it
// reads the host's bundle identifier and installs that host's hook group. In
// any other process it does nothing.

#include <string>

#include "hushgate/mobilephone_hooks.h"
#include "hushgate/springboard_hooks.h"
#include "platform/bundle.h"
#include "statics/Preference.h"

namespace {

constexpr char kSpringBoardIdentifier[] = "com.apple.springboard";
constexpr char kMobilePhoneIdentifier[] = "com.apple.mobilephone";

__attribute__((constructor)) void hushgateLoaded() {
  const std::string host = platform::mainBundleIdentifier();
  if (host == kSpringBoardIdentifier) {
    installSpringboardHooks();
  } else if (host == kMobilePhoneIdentifier) {
    // Read once per start of the Phone application: a change takes effect at
    // its next start.
    if (prefBool(Preference::loadMPPref(), "mp-injection-enabled")) installMobilephoneHooks();
  }
}

}  // namespace
