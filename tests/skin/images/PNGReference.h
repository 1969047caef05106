// libpng as the reference PNG encoder and decoder for the PNG reader's tests and benchmark.
#pragma once

#include <cstdint>
#include <vector>

struct TReferencePNG {
  uint32_t Width = 0;
  uint32_t Height = 0;
  int ColorType = 0;
  int BitDepth = 8;
  bool Interlaced = false;
  // Rows of raw samples as PNG stores them: packed below 8 bits, big-endian at 16 bits.
  std::vector<std::vector<uint8_t>> Rows;
  // PLTE as R, G, B triples.
  std::vector<uint8_t> Palette;
  // Ancillary chunks written when set.
  bool HasGamma = false;
  uint32_t Gamma = 45455;
  bool HasBackground = false;
  uint16_t Background[3] = {}; // gray, or red, green, blue, or the palette index
  bool HasTransparency = false;
  uint16_t Transparency[3] = {};     // gray, or red, green, blue
  std::vector<uint8_t> PaletteAlpha; // tRNS of a palette image
  int Filters = -1;                  // libpng filter flags; -1 leaves libpng's choice
  int CompressionLevel = 6;
};

// Encodes the image with libpng.
std::vector<uint8_t> EncodeWithLibpng(const TReferencePNG& Image);
// Decodes with libpng without transformations (rows de-interlaced); throws std::runtime_error
// when libpng reports an error.
TReferencePNG DecodeWithLibpng(const std::vector<uint8_t>& Bytes);
// Decodes into 8-bit B, G, R, A pixels the way a plain libpng consumer does (for timing).
void DecodeWithLibpngToBGRA(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Pixels);
// Decodes into the layouts the engine's reader produces: B, G, R(, A) of 8 bits, palette
// indexes as they are (for timing).
void DecodeWithLibpngToBGR(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Pixels);
