// Pixel and colour primitives on 32-bit bitmaps: fills, colour maths, recolouring, blends,
// stretching, tiling and the small glyph painters.
//
// Rectangles follow Win32 (Right and Bottom one past) and are clipped to the bitmap unless a
// function says otherwise. Colour parameters (TColor, 0x00BBGGRR) go through ColorToRGB first;
// key and pixel words are 0xAARRGGBB. Nothing here throws on bad geometry: empty or outside
// rectangles, empty bitmaps and mismatched sizes do nothing.
#pragma once

#include <cstdint>

#include "base/Bitmap32.h"
#include "skin/pixels/kvPixelMath.h"
#include "base/kvTypes.h"

// Rectangle utilities -------------------------------------------------------------------------

int RectWidth(const TRect& R, bool ClampNegative = false);
int RectHeight(const TRect& R, bool ClampNegative = false);
// False when R is empty or lies wholly outside Outer (touching edges count as outside).
bool RectsOverlap(const TRect& Outer, const TRect& R);
// R intersected with the bitmap's area.
TRect ClippedToBitmap(const TRect& R, const TBitmap32& Bmp);

// One copy of W x H pixels from (SX, SY) of a source to (DX, DY) of a destination.
struct TCopyBox {
  int DX, DY, SX, SY, W, H;
};
// Clips a copy to both bitmaps, moving the other side's origin along with a clipped edge so
// that source and destination stay aligned. False when nothing is left.
bool ClipCopy(TCopyBox& B, const TBitmap32& Dst, const TBitmap32& Src);

// Fills --------------------------------------------------------------------------------------

// Writes (Alpha << 24) | Color-as-pixel to every pixel of R.
void FillPixels32(TBitmap32& Bmp, TRect R, TColor Color, uint8_t Alpha = 255);
// The four border strips of R (top, left, bottom, right) with FillPixels32 and alpha 255.
void FillFramePixels32(TBitmap32& Bmp, const TRect& R, int WL, TColor Color, int WB, int WR,
                       int WT);
// The four strips FillFrameSolid and FillFramePixels32 fill, in their order: top (full width),
// left (below the top strip), bottom (right of the left strip), right (between top and bottom).
void FrameStrips(const TRect& R, int WL, int WT, int WR, int WB, TRect Strips[4]);

// Colour arithmetic --------------------------------------------------------------------------

// Per channel Round(K*c1 + (1-K)*c2); the high byte of C1. K = 1 gives C1.
TColor BlendColors(TColor C1, TColor C2, double K);
// Per channel (c1*127 + c2*129) >> 8; high byte 0.
TColor AverageColors(TColor C1, TColor C2);
// Moves the channels away from (Amount > 0) or toward (Amount < 0) their average; -100 gives
// grey. 0 returns the colour unchanged. The high byte is kept.
TColor ShiftSaturation(int Amount, TColor Color);
// Turns the hue by Degrees (any integer; the result is taken modulo 360). Grey stays grey.
TColor ShiftHue(int Degrees, TColor Color);
// The same two operations on a pixel word (red in bits 16..23); the alpha byte is kept.
uint32_t ShiftSaturationPixel(int Amount, uint32_t Pixel);
uint32_t ShiftHuePixel(int Degrees, uint32_t Pixel);

// Recolouring --------------------------------------------------------------------------------

// Every pixel except the key word 0x00FF00FF and grey pixels (red = green = blue).
void ShiftBitmapHue(TBitmap32& Bmp, int Degrees);
void ShiftBitmapSaturation(TBitmap32& Bmp, int Amount);
// The three channels become (R + G + B) div 3; alpha kept.
void GrayBitmap(TBitmap32& Bmp);
// The same except pixels whose word equals Key.
void GrayBitmapKeyed(TBitmap32& Bmp, uint32_t Key);
// R (one past its last column and row, as every rectangle) is clipped to the bitmap. Each channel
// becomes Round(e*pixel + (1-e)*colour) with e = Percent/100; alpha kept.
void TintRect(TBitmap32& Bmp, TRect R, int Percent, TColor Color);
// Each channel of R's pixels becomes (p*127 + c*129) >> 8, the average AverageColors takes of
// two colours; alpha kept. Pixels of the colour itself stay as they are.
void AverageRect(TBitmap32& Bmp, TRect R, TColor Color);
// Each channel becomes Round(p - Percent*(p - c)/100); the alpha byte becomes Alpha.
void TintRectAlpha(TBitmap32& Bmp, TRect R, TColor Color, uint8_t Alpha, int Percent);
// Every pixel except the key word: channel = Round(K*(p - c) + c).
void TintBitmap(TBitmap32& Bmp, TColor Color, double K);
// Sets the alpha byte of every pixel of R, except pixels whose word equals Key (unless Key is
// NoKey).
void SetAlphaRect(TBitmap32& Bmp, TRect R, uint8_t Alpha, uint32_t Key = NoKey);
// Channels become channel*alpha >> 8; a pixel of word 0x00FFFFFF becomes 0.
void PremultiplyAlpha(TBitmap32& Bmp, TRect R);
void PremultiplyAlpha(TBitmap32& Bmp);
// Equal sizes only: each Dst channel becomes the weighted blend of itself over the colour,
// weighted by the same channel of Mask (white keeps Dst, black gives the colour).
void MultiplyByMask(TBitmap32& Dst, const TBitmap32& Mask, TColor Color);

// Blends of bitmaps --------------------------------------------------------------------------

// Blends SrcR of Src onto Dst at P with weight W (Dst weighted by W). SrcR is exclusive like
// every rectangle; the blend converts it at its entry to the last row inclusive it counts with.
// A negative P moves SrcR's edge inward; nothing happens when P lies outside Dst or SrcR's
// top-left outside Src.
void BlendRect(TBitmap32& Dst, const TBitmap32& Src, int W, TPoint P, TRect SrcR);
// BlendRect over two bitmaps of equal size.
void BlendSameSize(TBitmap32& Dst, const TBitmap32& Src, int W);
// SrcR is exclusive, converted at the entry to the last column and row inclusive. For every
// pixel of SrcR (limited to Src) whose word differs from Key, each Dst channel becomes
// Round(s - (s - d)*K): K is the share of the old Dst pixel. Alpha kept.
void BlendKeyed(TBitmap32& Dst, int X, int Y, uint32_t Key, double K, TRect SrcR,
                const TBitmap32& Src);
// Equal sizes: each Dst channel becomes ((a - b)*w + b*256) >> 8 with w = W, or the same
// channel of WeightBmp when given. Alpha kept.
void BlendThree(TBitmap32& Dst, const TBitmap32& A, const TBitmap32& B, int W,
                const TBitmap32* WeightBmp = nullptr);

// Stretching and tiling ----------------------------------------------------------------------

// Opaque copy of SrcR of Src to (X, Y) of Dst, all four bytes, as BitBlt with SRCCOPY does;
// clipped to both bitmaps with source and destination kept aligned.
void CopyPixels(TBitmap32& Dst, int X, int Y, const TBitmap32& Src, TRect SrcR);
// Nearest-pixel stretch of SrcR of Src onto DstR of Dst, the pixels StretchBlt gives in
// colour-on-colour mode with SRCCOPY (all four bytes copied). Empty or negative sizes do
// nothing; destination pixels outside Dst and source pixels outside Src are skipped.
void StretchCopy(TBitmap32& Dst, const TRect& DstR, const TBitmap32& Src, const TRect& SrcR);
// Tiles Src over R from R's top-left corner, the last column and row cut to R.
void TileBitmap(TBitmap32& Dst, const TRect& R, const TBitmap32& Src);

// Glyph painters -----------------------------------------------------------------------------

// A small solid arrow of single pixels centred in R: Kind 4 points right (4 columns of 7, 5,
// 3, 1 pixels), Kind 8 points down (4 rows of 8, 6, 4, 2 pixels); other kinds draw nothing.
void DrawArrowPixels(TBitmap32& Bmp, TColor Color, const TRect& R, int Kind);

#ifdef _WIN32
// Device-context primitives of the Windows build. DC is an HDC.

// Fills R with a solid brush of Color; the DC's state is restored afterwards.
void FillSolid(void* DC, const TRect& R, TColor Color);
// The four border strips of R (see FrameStrips) with one solid brush.
void FillFrameSolid(void* DC, const TRect& R, int WL, int WT, int WR, int WB, TColor Color);
// Count nested 3D frames: light top-left and dark bottom-right lines inside R.
void Draw3DFrame(void* DC, TRect R, TColor LightColor, int Count, TColor DarkColor);
// Darkens R toward Color under a ramp of Depth nested rounded rectangles.
void PaintRoundShadow(TBitmap32& Bmp, const TRect& R, int Strength, int Radius, int Depth,
                      TColor Color);
// StretchBlt of SrcR of Src onto DstR of Dst in colour-on-colour mode with SRCCOPY.
void StretchBltCopy(TBitmap32& Dst, const TRect& DstR, const TBitmap32& Src, const TRect& SrcR);
// Tiles Graphic over R of a DC. A plain bitmap is tiled from R's top-left with whole tiles and
// then the cut last column and row; a pattern picture is drawn whole with the DC clipped to R.
void TileGraphic(void* DC, const TRect& R, const TBitmap32* Graphic, bool IsPattern = false);
#endif
