#include "statics/history_file.h"

#include "platform/bundle.h"
#include "statics/format.h"

std::string mpHistoryFilePathInContainer(std::string_view containerPath) {
  return stringWithFormat("%@/%@/%@", containerPath, kDocumentsFolderName, kMPHistoryFileName);
}

std::string mpHistoryFilePathFromOutside() {
  const auto proxy =
      platform::LSBundleProxy::bundleProxyForIdentifier(kMobilePhoneBundleIdentifier);
  if (!proxy) return {};
  return mpHistoryFilePathInContainer(proxy->dataContainerURL());
}

std::string mpHistoryFilePathInPhoneApplication() {
  return mpHistoryFilePathInContainer(platform::NSHomeDirectory());
}
