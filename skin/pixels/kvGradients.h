// Multi-piece gradients of skin sections: parsing the gradient text and painting it
// vertically, horizontally, from four corners, or together with a tiled texture.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

// A share of a length, 0..100.
using TPercent = uint8_t;

// One piece of a gradient: Color1 to Color2 over Percent of the painted length. Mode1 of the
// first piece is the kind of the whole gradient (0 vertical, 1 horizontal, 2 four corners).
struct TsGradPie {
  TColor Color1 = 0;
  TColor Color2 = 0;
  TPercent Percent = 0;
  int Mode1 = 0;
  int Mode2 = 0; // not read from the text; always 0
  friend bool operator==(const TsGradPie&, const TsGradPie&) = default;
};
using TsGradArray = std::vector<TsGradPie>;

// Gradient kinds (the first piece's Mode1).
constexpr int gkVertical = 0;
constexpr int gkHorizontal = 1;
constexpr int gkCorners = 2;

// Parses "Color1;Color2;Percent;Mode1;Mode2;..." (five integers per piece, empty fields
// skipped). An empty text gives one all-zero piece, fewer than five fields none. Colours below
// 0 become 0, Percent is limited to 0..100. A field that is not an integer throws
// std::invalid_argument "'<field>' is not a valid integer value".
void ParseGradientData(std::u16string_view Text, TsGradArray& Grad);
void ParseGradientData(std::string_view Text, TsGradArray& Grad);

// Paints the gradient into R (clipped to the bitmap) with alpha 255. Vertical pieces are
// stacked from the top (each shares its last row with the next piece's first), horizontal ones
// from the left; the last piece always reaches the far edge. Four corners: top-left, centre,
// top-right, bottom-right and bottom-left take the first colours of pieces 0..4 (a missing
// piece repeats the previous colour). An empty gradient or another kind paints nothing.
void PaintGradient(TBitmap32& Bmp, TRect R, const TsGradArray& Grad, int Offset = 0);

// A vertical or horizontal gradient with a texture blended over it: every pixel becomes the
// weighted blend of the gradient (weight TextureWeight) over the texture tiled from TexR of
// TexBmp (empty TexR: the whole bitmap), with alpha Alpha.
void PaintGradientTextured(TBitmap32& Bmp, TRect R, const TsGradArray& Grad, uint8_t Alpha,
                           int TextureWeight, TRect TexR, const TBitmap32& TexBmp);

// The four-corner gradient computed without the system: four triangles (top, right, left,
// bottom) meeting at the centre, each interpolated linearly between its corner colours.
// Colors are top-left, centre, top-right, bottom-right, bottom-left.
void PaintCornersGradientPixels(TBitmap32& Bmp, const TRect& R, const TColor Colors[5]);

#ifdef _WIN32
// The same through the system's triangle gradient fill; false when it is unavailable.
bool PaintCornersGradientGdi(TBitmap32& Bmp, const TRect& R, const TColor Colors[5]);
#endif
