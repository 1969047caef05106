// The 32-bit bitmap's pixels as a top-down DIB section, with a memory DC made on demand.
#include <windows.h>

#include <new>

#include "base/Bitmap32.h"
#include "base/GdiObjects.h"

void TBitmap32::Allocate(int Width, int Height) {
  FWidth = Width;
  FHeight = Height;
  if (Width <= 0 || Height <= 0) return;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Info.bmiHeader.biWidth = Width;
  Info.bmiHeader.biHeight = -Height; // negative: rows run top-down
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  HBITMAP Dib = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!Dib || !Bits) {
    FWidth = FHeight = 0;
    throw std::bad_alloc();
  }
  // The bitmap owns its DIB section and memory DC; they count among the live GDI objects.
  gdi_detail::CountCreated();
  FDib = Dib;
  FBits = static_cast<uint32_t*>(Bits); // a new DIB section is zero-filled
}

void TBitmap32::Release() {
  if (FDC) {
    SelectObject(static_cast<HDC>(FDC), static_cast<HGDIOBJ>(FOldBitmap));
    DeleteDC(static_cast<HDC>(FDC));
    gdi_detail::CountDeleted();
    FDC = nullptr;
    FOldBitmap = nullptr;
  }
  if (FDib) {
    DeleteObject(static_cast<HGDIOBJ>(FDib));
    gdi_detail::CountDeleted();
  }
  FDib = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
}

void* TBitmap32::NativeDC() const {
  if (!FDC && FDib) {
    HDC DC = CreateCompatibleDC(nullptr);
    if (!DC) return nullptr;
    gdi_detail::CountCreated();
    FOldBitmap = SelectObject(DC, static_cast<HGDIOBJ>(FDib));
    FDC = DC;
  }
  if (FDC) GdiFlush(); // pending GDI drawing must reach the pixels before they are read
  return FDC;
}
