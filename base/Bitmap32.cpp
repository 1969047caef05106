// The 32-bit bitmap: size checks, copying and filling shared by both builds.
#include "base/Bitmap32.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {
void CheckSize(int Width, int Height) {
  if (Width < 0 || Height < 0 || Width > MaxBitmapSide || Height > MaxBitmapSide ||
      int64_t(Width) * Height > MaxBitmapPixels)
    throw std::length_error("Bitmap size " + std::to_string(Width) + " x " +
                            std::to_string(Height) + " is out of range");
}
} // namespace

TBitmap32::TBitmap32(int Width, int Height) {
  CheckSize(Width, Height);
  Allocate(Width, Height);
}

TBitmap32::~TBitmap32() {
  Release();
}

TBitmap32::TBitmap32(const TBitmap32& Other) {
  Allocate(Other.FWidth, Other.FHeight);
  if (FBits) std::memcpy(FBits, Other.FBits, ByteSize());
}

TBitmap32& TBitmap32::operator=(const TBitmap32& Other) {
  if (this == &Other) return *this;
  if (!SameSize(Other)) {
    Release();
    Allocate(Other.FWidth, Other.FHeight);
  }
  if (FBits) std::memcpy(FBits, Other.FBits, ByteSize());
  return *this;
}

TBitmap32::TBitmap32(TBitmap32&& Other) noexcept {
  *this = std::move(Other);
}

TBitmap32& TBitmap32::operator=(TBitmap32&& Other) noexcept {
  if (this == &Other) return *this;
  Release();
  std::swap(FWidth, Other.FWidth);
  std::swap(FHeight, Other.FHeight);
  std::swap(FBits, Other.FBits);
#ifdef _WIN32
  std::swap(FDib, Other.FDib);
  std::swap(FDC, Other.FDC);
  std::swap(FOldBitmap, Other.FOldBitmap);
#else
  std::swap(FStorage, Other.FStorage);
#endif
  return *this;
}

void TBitmap32::SetSize(int Width, int Height) {
  if (Width == FWidth && Height == FHeight) return;
  CheckSize(Width, Height);
  Release();
  Allocate(Width, Height);
}

void TBitmap32::Fill(uint32_t Pixel) {
  if (FBits) std::fill(FBits, FBits + size_t(FWidth) * FHeight, Pixel);
}

std::unique_ptr<TBitmap32> NewBitmap32(int Width, int Height) {
  return std::make_unique<TBitmap32>(Width, Height);
}

#ifndef _WIN32
void TBitmap32::Allocate(int Width, int Height) {
  FWidth = Width;
  FHeight = Height;
  if (Width > 0 && Height > 0) {
    FStorage = std::make_unique<uint32_t[]>(size_t(Width) * Height); // zero-filled
    FBits = FStorage.get();
  }
}

void TBitmap32::Release() {
  FStorage.reset();
  FBits = nullptr;
  FWidth = FHeight = 0;
}
#endif
