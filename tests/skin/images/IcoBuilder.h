// Builds icon files byte by byte for the icon reader and image list tests.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/skin/images/BmpBuilder.h"

// One bitmap image of an icon: the colour rows and AND mask rows bottom-up as stored, unpadded.
struct TIcoDib {
  int Width = 1;
  int Height = 1;
  int Bits = 32;
  std::vector<uint32_t> Palette;
  std::vector<std::vector<uint8_t>> Rows;
  std::vector<std::vector<uint8_t>> MaskRows;
  int StoredHeight = 0; // 0: twice Height
};

inline std::vector<uint8_t> BuildIcoDib(const TIcoDib& D) {
  std::vector<uint8_t> Out;
  PutLE(Out, 40, 4);
  PutLE(Out, uint32_t(D.Width), 4);
  PutLE(Out, uint32_t(D.StoredHeight ? D.StoredHeight : 2 * D.Height), 4);
  PutLE(Out, 1, 2);
  PutLE(Out, uint32_t(D.Bits), 2);
  PutLE(Out, 0, 4);
  PutLE(Out, 0, 4);
  PutLE(Out, 0, 4);
  PutLE(Out, 0, 4);
  PutLE(Out, uint32_t(D.Palette.size()), 4);
  PutLE(Out, 0, 4);
  for (uint32_t C : D.Palette)
    PutLE(Out, C, 4);
  auto Put = [&Out](const std::vector<uint8_t>& Row) {
    Out.insert(Out.end(), Row.begin(), Row.end());
    Out.resize(Out.size() + ((4 - Row.size() % 4) % 4), 0);
  };
  for (const auto& R : D.Rows)
    Put(R);
  for (const auto& R : D.MaskRows)
    Put(R);
  return Out;
}

struct TIcoImage {
  int Width = 1;
  int Height = 1;
  int Bits = 32;
  std::vector<uint8_t> Data;
};

// The directory followed by the images in order; Type 1 icon, 2 cursor.
inline std::vector<uint8_t> BuildIco(const std::vector<TIcoImage>& Images, uint16_t Type = 1) {
  std::vector<uint8_t> Out;
  PutLE(Out, 0, 2);
  PutLE(Out, Type, 2);
  PutLE(Out, uint32_t(Images.size()), 2);
  uint32_t Offset = uint32_t(6 + 16 * Images.size());
  for (const TIcoImage& I : Images) {
    Out.push_back(uint8_t(I.Width & 255));
    Out.push_back(uint8_t(I.Height & 255));
    Out.push_back(0);
    Out.push_back(0);
    PutLE(Out, 1, 2);
    PutLE(Out, uint32_t(I.Bits), 2);
    PutLE(Out, uint32_t(I.Data.size()), 4);
    PutLE(Out, Offset, 4);
    Offset += uint32_t(I.Data.size());
  }
  for (const TIcoImage& I : Images)
    Out.insert(Out.end(), I.Data.begin(), I.Data.end());
  return Out;
}

// A 2 x 2 32-bit icon image: top row (stored last) B, G, R, A = 10 20 30 80 twice, bottom row
// 40 50 60 FF twice.
inline std::vector<uint8_t> AlphaIcoDib() {
  TIcoDib D;
  D.Width = D.Height = 2;
  D.Rows = {{0x40, 0x50, 0x60, 0xFF, 0x40, 0x50, 0x60, 0xFF},
            {0x10, 0x20, 0x30, 0x80, 0x10, 0x20, 0x30, 0x80}};
  D.MaskRows = {{0}, {0}};
  return BuildIcoDib(D);
}
