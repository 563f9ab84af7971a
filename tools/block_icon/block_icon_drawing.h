// The block icon: a red circle crossed by a diagonal bar from top left to
// bottom right, on a transparent square, edges anti-aliased.
#pragma once

#include "rgba_image.h"

// The icon drawn at pixels x pixels (pixels > 0).
RgbaImage drawBlockIcon(int pixels);
