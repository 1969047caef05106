// A checked reader of icon and cursor files (ICO, CUR): the directory and its images, decoded
// into 32-bit bitmaps with straight alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "base/Bitmap32.h"

// An icon file that is malformed, cut short, or holds an image the reader does not decode.
class EIconError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The largest number of images a directory may list.
constexpr int MaxIconImages = 512;
// The largest side of one image (the directory's byte counts 0 as 256; PNG images may be more).
constexpr int MaxIconSide = 1024;

constexpr uint16_t IconTypeIcon = 1;
constexpr uint16_t IconTypeCursor = 2;

// One directory entry as stored. Width and Height are 1..256 (the stored 0 means 256); for
// cursors Planes and BitCount hold the hot spot.
struct TkvIconEntry {
  int Width = 0;
  int Height = 0;
  uint8_t ColorCount = 0;
  uint16_t Planes = 0;
  uint16_t BitCount = 0;
  uint32_t BytesInRes = 0;
  uint32_t ImageOffset = 0;
};

struct TkvIconDirectory {
  uint16_t Type = 0;
  std::vector<TkvIconEntry> Entries;
};

// One decoded image. BitCount is the depth as stored (32 for PNG images); HasAlpha tells that
// the colour bits carried an alpha channel of their own (PNG, or 32-bit bits with any non-zero
// alpha byte). Pixels the AND mask marks transparent get alpha 0 when the bits have no alpha.
struct TkvIconImage {
  TBitmap32 Bmp;
  int BitCount = 0;
  bool HasAlpha = false;
  bool IsPng = false;
};

// Reads the 6-byte header and the entries: reserved word 0, type 1 or 2, 1..MaxIconImages
// entries, each image non-empty and lying wholly inside the file behind the directory. Throws
// EIconError naming the first fault.
TkvIconDirectory ReadIconDirectory(const uint8_t* Data, size_t Size);
// Decodes the image of entry E of a file whose directory was read from the same bytes: a PNG
// stream, or a device-independent bitmap (1, 4, 8, 16, 24 or 32 bits; twice the image's height
// with the 1-bit AND mask below the colour rows). Throws EIconError.
TkvIconImage DecodeIconImage(const uint8_t* Data, size_t Size, const TkvIconEntry& E);
// The first image of the file.
TkvIconImage DecodeFirstIcon(const uint8_t* Data, size_t Size);
