// Writers of 32-bit bitmaps for tests and tools: BMP (with alpha) and PAM, and of whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap32.h"

// A complete BMP file: BITMAPV5HEADER, 32 bits per pixel, BI_BITFIELDS with an alpha mask, rows
// bottom-up. Readers that ignore the alpha mask still see the colours.
std::vector<uint8_t> EncodeBmp32(const TBitmap32& Bmp);
// A BMP file with 24 bits per pixel (BITMAPINFOHEADER, rows bottom-up, padded to 4 bytes),
// as skin images are stored; the alpha bytes are dropped.
std::vector<uint8_t> EncodeBmp24(const TBitmap32& Bmp);
// A PAM file (P7, TUPLTYPE RGB_ALPHA, MAXVAL 255), rows top-down.
std::vector<uint8_t> EncodePam(const TBitmap32& Bmp);

// Writes Data as the whole file (created or replaced); throws std::runtime_error naming the file
// when it cannot be written completely, closing included.
void SaveFileBytes(const std::vector<uint8_t>& Data, const std::string& FileName);

// Write the encoded file; throw std::runtime_error naming the file when it cannot be written.
void SaveBmp32(const TBitmap32& Bmp, const std::string& FileName);
void SavePam(const TBitmap32& Bmp, const std::string& FileName);
