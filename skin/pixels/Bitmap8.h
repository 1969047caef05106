// An 8-bit gray bitmap (masks for glows and shadows): top-down rows, Width bytes apart.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

class TBitmap8 {
public:
  TBitmap8() = default;
  // A bitmap of that size with every byte 0; throws std::length_error for a negative size or
  // one of more than 256 M pixels.
  TBitmap8(int Width, int Height) { SetSize(Width, Height); }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth <= 0 || FHeight <= 0; }

  // Changes the size; the contents become 0.
  void SetSize(int Width, int Height) {
    if (Width < 0 || Height < 0 || int64_t(Width) * Height > int64_t(256) * 1024 * 1024)
      throw std::length_error("Gray bitmap size out of range");
    FWidth = Width;
    FHeight = Height;
    FBits.assign(size_t(Width) * size_t(Height), 0);
  }

  uint8_t* ScanLine(int Y) {
    assert(Y >= 0 && Y < FHeight);
    return FBits.data() + ptrdiff_t(Y) * FWidth;
  }
  const uint8_t* ScanLine(int Y) const {
    assert(Y >= 0 && Y < FHeight);
    return FBits.data() + ptrdiff_t(Y) * FWidth;
  }
  uint8_t& Pixel(int X, int Y) {
    assert(X >= 0 && X < FWidth);
    return ScanLine(Y)[X];
  }
  uint8_t Pixel(int X, int Y) const {
    assert(X >= 0 && X < FWidth);
    return ScanLine(Y)[X];
  }

private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FBits;
};
