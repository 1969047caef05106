// Draws the built-in window-shadow images: a soft black shadow around a window whose edge lies
// DefaultShadowMargin pixels inside the image, a little heavier below than above.
#pragma once

#include "base/Bitmap32.h"

// The image for an active (Active) or an inactive form, straight alpha, 32 x 32 pixels.
TBitmap32 DrawShadowImage(bool Active);
