// Helpers shared by the painting tests.
#pragma once

#include "base/Bitmap32.h"

// How many pixels of B are exactly P.
inline int CountPixels(const TBitmap32& B, uint32_t P) {
  int N = 0;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      N += B.Pixel(x, y) == P;
  return N;
}
