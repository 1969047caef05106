// Builds BMP files byte by byte for the reader tests and for test skins.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/kvTypes.h"

struct TBmpBuild {
  int Width = 1;
  int Height = 1;
  int Bits = 24;
  bool TopDown = false;
  uint32_t Compression = 0;
  uint32_t HeaderSize = 40;
  std::vector<uint32_t> Palette; // 0x00RRGGBB as stored (B, G, R, 0)
  std::vector<uint32_t> Masks;   // R, G, B[, A] for bit fields
  // The rows in file order, unpadded; padded to 4 bytes when written. For run-length data,
  // Raw holds the whole pixel data instead.
  std::vector<std::vector<uint8_t>> Rows;
  std::vector<uint8_t> Raw;
};

inline void PutLE(std::vector<uint8_t>& Out, uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i)
    Out.push_back(uint8_t(V >> (8 * i)));
}

inline std::vector<uint8_t> BuildBmp(const TBmpBuild& B) {
  std::vector<uint8_t> Body;
  bool Core = B.HeaderSize == 12;
  PutLE(Body, B.HeaderSize, 4);
  if (Core) {
    PutLE(Body, uint32_t(B.Width), 2);
    PutLE(Body, uint32_t(B.TopDown ? -B.Height : B.Height), 2);
    PutLE(Body, 1, 2);
    PutLE(Body, uint32_t(B.Bits), 2);
  } else {
    PutLE(Body, uint32_t(B.Width), 4);
    PutLE(Body, uint32_t(B.TopDown ? -B.Height : B.Height), 4);
    PutLE(Body, 1, 2);
    PutLE(Body, uint32_t(B.Bits), 2);
    PutLE(Body, B.Compression, 4);
    PutLE(Body, 0, 4); // image size
    PutLE(Body, 2835, 4);
    PutLE(Body, 2835, 4);
    PutLE(Body, uint32_t(B.Palette.size()), 4);
    PutLE(Body, 0, 4);
    Body.resize(B.HeaderSize, 0);
    for (size_t i = 0; i < B.Masks.size(); ++i) {
      if (B.HeaderSize > 40) {
        for (int k = 0; k < 4; ++k)
          Body[40 + 4 * i + size_t(k)] = uint8_t(B.Masks[i] >> (8 * k));
      } else {
        PutLE(Body, B.Masks[i], 4);
      }
    }
  }
  for (uint32_t P : B.Palette)
    PutLE(Body, P, Core ? 3 : 4);
  size_t Offset = 14 + Body.size();
  if (!B.Raw.empty()) {
    Body.insert(Body.end(), B.Raw.begin(), B.Raw.end());
  } else {
    for (const auto& Row : B.Rows) {
      Body.insert(Body.end(), Row.begin(), Row.end());
      size_t Pad = (4 - Row.size() % 4) % 4;
      Body.insert(Body.end(), Pad, 0);
    }
  }
  std::vector<uint8_t> File{'B', 'M'};
  PutLE(File, uint32_t(14 + Body.size()), 4);
  PutLE(File, 0, 4);
  PutLE(File, uint32_t(Offset), 4);
  File.insert(File.end(), Body.begin(), Body.end());
  return File;
}

// A bottom-up 24-bit BMP whose pixel (x, y) has the colour Pixel(x, y) (0x00BBGGRR).
inline std::vector<uint8_t> Bmp24(int Width, int Height,
                                  const std::function<TColor(int, int)>& Pixel) {
  TBmpBuild B;
  B.Width = Width;
  B.Height = Height;
  for (int y = Height - 1; y >= 0; --y) {
    std::vector<uint8_t> Row;
    for (int x = 0; x < Width; ++x) {
      TColor C = Pixel(x, y);
      Row.push_back(BValue(C));
      Row.push_back(GValue(C));
      Row.push_back(RValue(C));
    }
    B.Rows.push_back(Row);
  }
  return BuildBmp(B);
}
