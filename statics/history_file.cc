#include "statics/history_file.h"

#include "platform/bundle.h"
#include "statics/format.h"

namespace {

constexpr char kPhoneApplication[] = "com.apple.mobilephone";

}  // namespace

std::string mpHistoryFilePathInContainer(std::string_view containerPath) {
  return stringWithFormat("%@/Documents/%@", containerPath, kMPHistoryFileName);
}

std::string mpHistoryFilePathFromOutside() {
  const auto proxy = platform::LSBundleProxy::bundleProxyForIdentifier(kPhoneApplication);
  if (!proxy) return {};
  return mpHistoryFilePathInContainer(proxy->dataContainerURL());
}

std::string mpHistoryFilePathInPhoneApplication() {
  return mpHistoryFilePathInContainer(platform::NSHomeDirectory());
}
