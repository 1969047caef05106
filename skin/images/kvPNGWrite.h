// A small PNG writer for the skin tools and tests: 32-bit bitmaps as 8-bit RGBA PNG files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap32.h"

// The bitmap as a PNG of colour type 6 (RGBA, 8 bits, not interlaced). Level is zlib's
// compression level: 0 stores the rows, 9 packs hardest. Each row gets the filter whose output
// has the smallest sum of absolute values.
std::vector<uint8_t> EncodePNG(const TBitmap32& Bmp, int Level = 6);
// Writes EncodePNG's result to a file; throws std::runtime_error when it cannot be written.
void SavePNGToFile(const TBitmap32& Bmp, const std::string& FileName, int Level = 6);

// Appends one chunk (length, type, data, CRC-32) to a PNG being built.
void AppendPNGChunk(std::vector<uint8_t>& Out, const char* Type, const uint8_t* Data,
                    size_t Length);
// The 8-byte PNG signature followed by an IHDR chunk.
std::vector<uint8_t> BeginPNG(uint32_t Width, uint32_t Height, uint8_t BitDepth, uint8_t ColorType,
                              uint8_t Interlace = 0);
