// The platform-free half of the alpha image list: recognising the stored image formats,
// decoding an item's file data into 32 bits, the pixel rules of keyed and alpha icons, and
// resizing with the Mitchell filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/Bitmap32.h"

enum TsImageFormat { ifPNG, ifICO, ifBMP32 };

// The format of a file from its first bytes: the PNG signature gives ifPNG; two zero bytes give
// ifICO when the file name's extension is "ico" (in any case) and no format otherwise; "BM"
// gives ifBMP32. A test applies only when the file is longer than the bytes it compares.
bool DetectImageFormat(const uint8_t* Data, size_t Size, const std::filesystem::path& FileName,
                       TsImageFormat& Format);
// The same for a file on disk; False when it cannot be read.
bool DetectImageFormat(const std::filesystem::path& FileName, TsImageFormat& Format);

// An item's stored image decoded for drawing: always 32 bits with straight alpha. BitCount is
// the depth of the stored picture (32 when it carries alpha); an image stored without alpha has
// had FixMissingAlpha applied, unless its format marks one colour transparent itself.
struct TkvListImage {
  TBitmap32 Bmp;
  int BitCount = 0;
  // An icon whose colour bits are 32-bit with any non-zero alpha byte.
  bool HasAlpha = false;
};
// Decodes the file data of an item. Throws the reader's error (EInvalidGraphic, EBmpError,
// EIconError) for data that cannot be read.
TkvListImage DecodeListImage(TsImageFormat Format, const uint8_t* Data, size_t Size);

// A 1-bit mask with rows padded to 16 bits, the layout of a monochrome device bitmap. A set bit
// is white: the screen shows through.
struct TkvMonoMask {
  int Width = 0;
  int Height = 0;
  size_t Stride = 0;
  std::vector<uint8_t> Bits;
  bool IsSet(int X, int Y) const {
    return (Bits[size_t(Y) * Stride + size_t(X >> 3)] >> (7 - (X & 7))) & 1;
  }
};

// The mask of a keyed icon: set where a pixel's word equals the top-left pixel's word.
TkvMonoMask MakeKeyedMask(const TBitmap32& Bmp);
// The colour bits of an alpha icon: a picture that had no alpha of its own (Is32Bit false) gets
// alpha 0 on fuchsia pixels and 255 on all others; a 32-bit one keeps its pixels.
TBitmap32 MakeAlphaColors(const TBitmap32& Bmp, bool Is32Bit);
// The mask of an alpha icon: set where a pixel's alpha is 0.
TkvMonoMask MakeAlphaMask(const TBitmap32& Bmp);

// True when any pixel has a non-zero alpha byte.
bool HasAnyAlpha(const TBitmap32& Bmp);
// Gives a bitmap without alpha its transparency: when no pixel has a non-zero alpha byte, every
// pixel whose colour differs from the bottom-left pixel's colour gets alpha 255; pixels of that
// colour keep alpha 0. A bitmap with alpha, or an empty one, is left alone.
void FixMissingAlpha(TBitmap32& Bmp);
// Every pixel gets alpha 255 except those whose colour (the pixel word without its alpha byte,
// 0x00RRGGBB) is KeyRGB, which get alpha 0.
void SetOpaqueExceptColor(TBitmap32& Bmp, uint32_t KeyRGB);

// Resizes Src into Dst (Width x Height) with the Mitchell filter. A source of the same size is
// copied; a source one pixel wide or high, which the filter cannot take, is stretched by
// replicating its pixels. False (Dst untouched) for an empty source or a size of 0 or less.
bool ResizeBitmap32(const TBitmap32& Src, TBitmap32& Dst, int Width, int Height);
// A copy of Src stretched to Width x Height by nearest pixels, alpha included, as a device
// copy in colour-on-colour mode does. Empty for an empty source or size.
TBitmap32 StretchedNearest(const TBitmap32& Src, int Width, int Height);
