// The icon that marks a blocked call in the recent-calls list: a red circle
// crossed by a diagonal bar, embedded as two PNG files (8-bit RGBA with
// transparency) in Base64 text, 48x48 and 32x32 pixels. Either is shown at
// 16x16 points: the 48-pixel one on screens of scale 3, the 32-pixel one
// otherwise.
#pragma once

#include <string>
#include <string_view>

// The embedded PNG files (generated at build time).
extern const std::string_view kBlockIcon48PNGBase64;
extern const std::string_view kBlockIcon32PNGBase64;

// 48 when scale is greater than 2, otherwise (also for not-a-number) 32.
int blockIconPixelsForScale(double scale);

// The PNG file bytes of the icon for a screen of this scale: the decoded
// 48-pixel file when scale is greater than 2, otherwise the 32-pixel one. The
// image is to be made with that same scale.
std::string blockIconPNGForScale(double scale);
