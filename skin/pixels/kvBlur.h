// Gaussian blur of 8-bit gray bitmaps (the masks behind glowing text).
#pragma once

#include "skin/pixels/Bitmap8.h"

// Blurs Bmp in place with a Gaussian of standard deviation Radius: rows first, then columns,
// pixels beyond the edges repeating the edge pixel. The kernel is cut where its tails sum to
// less than 1/510 and is kept between calls with the same radius. A radius of 0 or less (or
// not a number) leaves the bitmap alone.
void BlurGray8(TBitmap8& Bmp, double Radius);

// The kernel BlurGray8 uses for Radius: Taps[0..2*HalfWidth], normalised to sum 1.
struct TBlurKernel {
  double Radius = 0;
  int HalfWidth = 0;
  float Taps[201] = {};
};
const TBlurKernel& BlurKernel(double Radius);
