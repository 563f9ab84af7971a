#include "hushgate/recents/block_icon.h"

#include "hushgate/recents/base64.h"

int blockIconPixelsForScale(double scale) {
  return scale > 2 ? 48 : 32;
}

std::string blockIconPNGForScale(double scale) {
  const std::string_view base64 =
      blockIconPixelsForScale(scale) == 48 ? kBlockIcon48PNGBase64 : kBlockIcon32PNGBase64;
  // The texts are made by the build, so they always decode.
  return decodeBase64(base64).value_or(std::string());
}
