// What lies behind an item being painted: the parent's cached background or its plain colour.
#pragma once

#include <cstdint>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

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

// Kinds of answer to the background query.
constexpr uint8_t bkNone = 0;     // no answer
constexpr uint8_t bkColor = 1;    // only the parent's colour is known
constexpr uint8_t bkImage = 2;    // the parent's cached image
constexpr uint8_t bkNotReady = 3; // the parent is not painted yet

// A parent's answer to the background query of a child.
struct TBackgroundInfo {
  TBitmap32* Bmp = nullptr; // the answering parent's cache bitmap; not owned
  TColor Color = clFuchsia; // its colour
  TPoint Offset;            // the asking child's top-left corner inside Bmp
  TRect R{};                // the area to paint when PleaseDraw is set
  TRect FillRect{};         // border band widths, as in TCacheInfo
  uint8_t Kind = bkNone;
  uint8_t PleaseDraw = 0; // asks the parent to paint itself into DrawDC
  void* DrawDC = nullptr; // an HDC in the Windows build
};

// The cache record of an answer: a cached image gives a ready record; any other answer gives
// its bitmap and offset with its colour (as RGB) and border bands, not ready.
inline TCacheInfo BackgroundToCacheInfo(const TBackgroundInfo& Info) {
  if (Info.Kind == bkImage) return NewCacheInfo(Info.Bmp, Info.Offset.X, Info.Offset.Y);
  TCacheInfo CI;
  CI.Bmp = Info.Bmp;
  CI.X = Info.Offset.X;
  CI.Y = Info.Offset.Y;
  CI.FillColor = ColorToRGB(Info.Color);
  CI.FillRect = Info.FillRect;
  CI.Ready = false;
  return CI;
}
