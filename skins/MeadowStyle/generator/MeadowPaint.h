// Drawing tools of the skin generator: anti-aliased shapes as coverage, layered frames that
// become an image band with its gray mask band below, a shelf layout of image regions, and a
// 24-bit BMP writer. Integer arithmetic only, so that every build draws the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "skin/pixels/kvBitmapIO.h"

// An sRGB colour written as 0xRRGGBB.
struct TRgb {
  uint8_t R = 0, G = 0, B = 0;
};
constexpr TRgb Rgb(uint32_t Hex) {
  return {uint8_t(Hex >> 16), uint8_t(Hex >> 8), uint8_t(Hex)};
}
// Channel-wise mix: Weight/256 of A, the rest B.
TRgb MixRgb(TRgb A, TRgb B, int Weight);

// The key colour: a pixel of it is transparent.
constexpr uint32_t KeyPixelWord = 0x00FF00FF;

// Coverage of a shape, 0 (outside) .. 255 (inside), per pixel. Shapes are sampled 4 x 4 times
// per pixel; coordinates are in eighths of a pixel (pixel x spans 8x .. 8x + 8).
class TCoverage {
public:
  TCoverage(int Width, int Height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  uint8_t At(int X, int Y) const { return FData[size_t(Y) * FWidth + X]; }
  void Set(int X, int Y, uint8_t V) {
    if (X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) FData[size_t(Y) * FWidth + X] = V;
  }
  // Unions (per-pixel maximum) and cut-outs.
  void Union(const TCoverage& Other);
  void Subtract(const TCoverage& Other);

  // A rectangle from (L, T) to (R, B) in eighths, with each corner rounded by its radius (in
  // eighths; 0 square). Corners: top-left, top-right, bottom-right, bottom-left.
  void AddRoundRect(int L, int T, int R, int B, int RadTL, int RadTR, int RadBR, int RadBL);
  void AddRoundRect(int L, int T, int R, int B, int Radius) {
    AddRoundRect(L, T, R, B, Radius, Radius, Radius, Radius);
  }
  // A stroke of half-width HalfWidth from A to B with round ends, all in eighths.
  void AddSegment(int Ax, int Ay, int Bx, int By, int HalfWidth);
  // A polyline of strokes through the points (x0, y0, x1, y1, ...).
  void AddPolyline(const std::vector<int>& Points, int HalfWidth);
  void AddDisc(int Cx, int Cy, int Radius);

private:
  template <class Inside>
  void AddShape(int L, int T, int R, int B, Inside In);
  int FWidth, FHeight;
  std::vector<uint8_t> FData;
};

// A frame being composed: premultiplied colour and alpha per pixel, layers painted on top.
class TLayers {
public:
  TLayers(int Width, int Height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Paints Colour at Opacity (0..255) where the coverage is.
  void Paint(const TCoverage& Shape, TRgb Colour, int Opacity = 255);
  // Paints one pixel.
  void PaintPixel(int X, int Y, TRgb Colour, int Opacity);
  // The composed pixel: colour (un-premultiplied) and alpha.
  void Get(int X, int Y, TRgb& Colour, int& Alpha) const;

private:
  int FWidth, FHeight;
  std::vector<int> FR, FG, FB, FA; // premultiplied by 255
};

// Writes frame F of a masked image region whose top-left is (X, Y): the composed image at
// (X + F * width, Y), key colour where nothing is painted, and the gray mask (255 - alpha) the
// frame height further down.
void PutMaskedFrame(TBitmap32& Bmp, int X, int Y, int F, const TLayers& Frame);

// Places image regions on rows of a fixed width, in the order they are asked for.
class TShelfLayout {
public:
  TShelfLayout(int Width, int Gap) : FWidth(Width), FGap(Gap) {}
  // The top-left of a new region of that size.
  void Place(int W, int H, int& X, int& Y);
  int Height() const { return FY + FRowHeight; }
  int Width() const { return FWidth; }

private:
  int FWidth, FGap;
  int FX = 0, FY = 0, FRowHeight = 0;
};

void WriteFileBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes);
