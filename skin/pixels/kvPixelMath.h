// The engine's exact pixel arithmetic: the weighted channel blend, rounding, pixel packing.
#pragma once

#include <cmath>
#include <cstdint>

// The one pixel blend rule: Old weighted by W (0..255) over Src, that is
// Src + floor((Old - Src) * W / 256). The shift is arithmetic on a signed value, so W = 255
// keeps almost all of Old (255 over 0 gives 254) and W = 0 gives Src exactly.
constexpr int BlendChannel(int Old, int Src, int W) {
  return ((Old - Src) * W + Src * 256) >> 8;
}

// Round half to even, independent of the floating-point rounding mode in effect.
inline int64_t RoundHalfEven(double X) {
  double F = std::floor(X);
  double D = X - F;
  if (D > 0.5 || (D == 0.5 && std::fmod(F, 2.0) != 0.0)) F += 1.0;
  return int64_t(F);
}

constexpr int ClampByte(int64_t V) {
  return V < 0 ? 0 : V > 255 ? 255 : int(V);
}
// Rounds half to even and limits the result to a byte.
inline int RoundByte(double X) {
  if (!(X > -1.0)) return 0; // also catches NaN
  if (X >= 256.0) return 255;
  return ClampByte(RoundHalfEven(X));
}

// Pixel words read 0xAARRGGBB (bytes B, G, R, A in memory).
constexpr int PixB(uint32_t P) {
  return P & 0xFF;
}
constexpr int PixG(uint32_t P) {
  return (P >> 8) & 0xFF;
}
constexpr int PixR(uint32_t P) {
  return (P >> 16) & 0xFF;
}
constexpr int PixA(uint32_t P) {
  return P >> 24;
}
constexpr uint32_t MakePixel(int B, int G, int R, int A) {
  return uint32_t(B & 0xFF) | (uint32_t(G & 0xFF) << 8) | (uint32_t(R & 0xFF) << 16) |
         (uint32_t(A & 0xFF) << 24);
}
constexpr uint32_t WithAlpha(uint32_t P, int A) {
  return (P & 0x00FFFFFFu) | (uint32_t(A & 0xFF) << 24);
}

// The weighted channel blend on the three colour channels of two pixels with one weight;
// the alpha byte is Old's.
constexpr uint32_t BlendPixel(uint32_t Old, uint32_t Src, int W) {
  return MakePixel(BlendChannel(PixB(Old), PixB(Src), W), BlendChannel(PixG(Old), PixG(Src), W),
                   BlendChannel(PixR(Old), PixR(Src), W), PixA(Old));
}
// The same with a weight per channel taken from the matching channel of Weights.
constexpr uint32_t BlendPixelByMask(uint32_t Old, uint32_t Src, uint32_t Weights) {
  return MakePixel(BlendChannel(PixB(Old), PixB(Src), PixB(Weights)),
                   BlendChannel(PixG(Old), PixG(Src), PixG(Weights)),
                   BlendChannel(PixR(Old), PixR(Src), PixR(Weights)), PixA(Old));
}

// The engine's key colour as a pixel word: fuchsia with alpha byte 0. The same number in
// colour and pixel order.
constexpr uint32_t KeyPixel = 0x00FF00FF;
// "No key" for the primitives that take an optional key word.
constexpr uint32_t NoKey = 0x1FFFFFFF;
