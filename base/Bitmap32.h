// The engine's one pixel container: a 32-bit bitmap with top-down rows of B, G, R, A bytes.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/kvTypes.h"

// Largest side a bitmap may have; keeps every size computation far from overflow.
constexpr int MaxBitmapSide = 32768;
// Largest pixel count (256 M pixels, 1 GB of memory).
constexpr int64_t MaxBitmapPixels = int64_t(256) * 1024 * 1024;

// In the Windows build the pixels belong to a DIB section, so that GDI can draw text onto the
// same memory; elsewhere they are plain memory. Rows are top-down and Width pixels apart.
class TBitmap32 {
public:
  TBitmap32() = default;
  // A bitmap of the given size with every pixel 0. Throws std::length_error for a negative
  // or absurd size.
  TBitmap32(int Width, int Height);
  ~TBitmap32();
  TBitmap32(const TBitmap32& Other);
  TBitmap32& operator=(const TBitmap32& Other);
  TBitmap32(TBitmap32&& Other) noexcept;
  TBitmap32& operator=(TBitmap32&& Other) noexcept;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth <= 0 || FHeight <= 0; }
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

  // Changes the size; the contents become 0. Nothing happens when the size is the same.
  void SetSize(int Width, int Height);

  uint32_t* ScanLine(int Y) {
    assert(Y >= 0 && Y < FHeight);
    return FBits + ptrdiff_t(Y) * FWidth;
  }
  const uint32_t* ScanLine(int Y) const {
    assert(Y >= 0 && Y < FHeight);
    return FBits + ptrdiff_t(Y) * FWidth;
  }
  uint32_t& Pixel(int X, int Y) {
    assert(X >= 0 && X < FWidth);
    return ScanLine(Y)[X];
  }
  uint32_t Pixel(int X, int Y) const {
    assert(X >= 0 && X < FWidth);
    return ScanLine(Y)[X];
  }
  uint32_t* Bits() { return FBits; }
  const uint32_t* Bits() const { return FBits; }
  size_t ByteSize() const { return size_t(FWidth) * size_t(FHeight) * 4; }

  void Fill(uint32_t Pixel);
  bool SameSize(const TBitmap32& Other) const {
    return FWidth == Other.FWidth && FHeight == Other.FHeight;
  }

#ifdef _WIN32
  // The DIB section (an HBITMAP) and a memory device context that has it selected, made on
  // first use. Both belong to the bitmap.
  void* NativeHandle() const {
    return FDib;
  }
  void* NativeDC() const;
#endif

private:
  void Allocate(int Width, int Height);
  void Release();

  int FWidth = 0;
  int FHeight = 0;
  uint32_t* FBits = nullptr;
#ifdef _WIN32
  void* FDib = nullptr;
  mutable void* FDC = nullptr;
  mutable void* FOldBitmap = nullptr;
#else
  std::unique_ptr<uint32_t[]> FStorage;
#endif
};

// A new bitmap of that size, for callers that hold bitmaps by pointer.
std::unique_ptr<TBitmap32> NewBitmap32(int Width, int Height);
