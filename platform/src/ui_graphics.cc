#include "platform/ui_graphics.h"

#include <cmath>

#include "class_registry.h"
#include "png_header.h"

namespace platform {

namespace {

bool isUsableScale(double scale) {
  return std::isfinite(scale) && scale > 0;
}

}  // namespace

UIScreen& UIScreen::mainScreen() {
  static UIScreen* const screen = new UIScreen();  // never destroyed
  return *screen;
}

void UIScreen::setScale(double scale) {
  if (isUsableScale(scale)) scale_.store(scale);
}

Class UIImage::objcClass() {
  static const Class cls = internal::platformClass("UIImage", NSObject::objcClass());
  return cls;
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view data, double scale) {
  const std::optional<internal::PngSize> size = internal::readPngSize(data);
  if (!size) return nullptr;
  return std::make_shared<UIImage>(size->width, size->height, scale);
}

UIImage::UIImage(uint32_t pixelWidth, uint32_t pixelHeight, double scale)
    : NSObject(objcClass()),
      pixelWidth_(pixelWidth),
      pixelHeight_(pixelHeight),
      scale_(isUsableScale(scale) ? scale : 1.0) {}

CGSize UIImage::size() const {
  return CGSize{pixelWidth_ / scale_, pixelHeight_ / scale_};
}

}  // namespace platform
