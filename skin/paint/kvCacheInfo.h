// What lies behind an item being painted: the parent's cached background or its plain colour.
#pragma once

#include "skin/paint/Bitmap32.h"
#include "skin/paint/kvTypes.h"

struct TCacheInfo {
  // The parent's cached image, or none. Not owned.
  TBitmap32* Bmp = nullptr;
  // Where the item's top-left corner lies in Bmp (before the item's own offset is added).
  int X = 0;
  int Y = 0;
  // The parent's plain colour; fuchsia when unknown.
  TColor FillColor = clFuchsia;
  // With a Bmp that is not ready: the widths of the parent's left, top, right and bottom
  // border bands in Bmp; everything between them is FillColor.
  TRect FillRect{};
  // True when Bmp holds the parent's finished background.
  bool Ready = false;
};

// A ready record with that bitmap and offset.
inline TCacheInfo NewCacheInfo(TBitmap32* Bmp, int X, int Y) {
  TCacheInfo CI;
  CI.Bmp = Bmp;
  CI.X = X;
  CI.Y = Y;
  CI.Ready = true;
  return CI;
}
