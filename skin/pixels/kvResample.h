// Filtered two-pass resizing of 32-bit bitmaps in 16.16 fixed point.
#pragma once

#include "base/Bitmap32.h"

enum TResampleFilter {
  rfBox = 0,
  rfTriangle = 1,
  rfHermite = 2,
  rfBell = 3,
  rfSpline = 4,   // cubic B-spline
  rfLanczos3 = 5, // sinc(x) * sinc(x / 3) for |x| < 3
  rfMitchell = 6, // B = C = 1/3
};

// The filter's support radius and its value at distance X (X >= 0 except for the box filter,
// which decides the tie at +-0.5 by sign).
double FilterRadius(TResampleFilter Filter);
double FilterValue(TResampleFilter Filter, double X);

// Resizes Src into Dst (NewWidth x NewHeight), all four channels filtered: a horizontal pass
// into a temporary bitmap, then a vertical one. Each destination pixel's weights sum to exactly
// 1, so flat areas keep their value. The same size copies Src. Throws
// std::runtime_error "Source bitmap is too small" when Src is 1 pixel wide or high or less;
// does nothing when NewWidth or NewHeight is 0 or less. Src and Dst may be the same bitmap.
void ResampleBitmap(const TBitmap32& Src, TBitmap32& Dst, int NewWidth, TResampleFilter Filter,
                    int NewHeight);
