// UIKit stand-ins for drawing: sizes, colours, the main screen and images.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/runtime.h"

namespace platform {

struct CGSize {
  double width = 0;
  double height = 0;
  bool operator==(const CGSize&) const = default;
};

// A colour: red, green, blue and alpha from 0 to 1. A value, compared by its
// components.
struct UIColor {
  float red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const UIColor&) const = default;
};

// UIScreen mainScreen. Its scale (points to pixels) is 2 unless the host sets
// another.
class UIScreen {
 public:
  static UIScreen& mainScreen();

  double scale() const { return scale_.load(); }
  // For a host, before it loads the injected libraries. Values that are not
  // finite and greater than 0 are ignored.
  void setScale(double scale);

 private:
  UIScreen() = default;
  std::atomic<double> scale_{2.0};
};

// An image, known by its pixel size and scale. Compared by identity (the
// same object), as the platform's images are.
class UIImage : public NSObject {
 public:
  static Class objcClass();  // "UIImage"

  // imageWithData:scale:: the image of PNG file bytes, sized by the file's
  // IHDR header. nil when the bytes are not a PNG file (wrong signature, no
  // well-formed IHDR chunk as the first chunk, bad checksum). A scale that is
  // not finite and greater than 0 counts as 1.
  static std::shared_ptr<UIImage> imageWithData(std::string_view data, double scale);

  UIImage(uint32_t pixelWidth, uint32_t pixelHeight, double scale);

  uint32_t pixelWidth() const { return pixelWidth_; }
  uint32_t pixelHeight() const { return pixelHeight_; }
  double scale() const { return scale_; }
  // The size in points: pixels / scale.
  CGSize size() const;

 private:
  uint32_t pixelWidth_;
  uint32_t pixelHeight_;
  double scale_;
};

}  // namespace platform
