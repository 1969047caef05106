// A reader of Windows bitmap files (BMP) into 32-bit bitmaps, for skin images that travel as
// bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "base/Bitmap32.h"

// A BMP that is malformed, cut short, or of a size the reader refuses.
class EBmpError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// A well-formed BMP of a kind the reader does not decode (JPEG or PNG inside, ...).
class EBmpUnsupported : public EBmpError {
public:
  using EBmpError::EBmpError;
};

// The largest width and height accepted.
constexpr int MaxBmpSide = 16384;

struct TkvBmpInfo {
  int Width = 0;
  int Height = 0;
  int BitCount = 0; // bits per pixel as stored (1, 4, 8, 16, 24 or 32)
};

// Decodes a BMP file (with its 14-byte file header): 1, 4 and 8 bits with a palette (also
// RLE8 and RLE4), 16 and 32 bits plain or with bit fields, 24 bits; bottom-up and top-down.
// Pixels without an alpha channel get alpha 255; 32-bit pixels keep their fourth byte unless
// bit fields say otherwise. Throws EBmpError (or EBmpUnsupported) with a clear text.
TBitmap32 DecodeBmp(const uint8_t* Data, size_t Size, TkvBmpInfo* Info = nullptr);
