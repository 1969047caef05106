// Owning and borrowing wrappers for GDI objects and device contexts, with a count of the live
// objects the owning ones hold, so that a test can show a paint gives back what it took.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

// Objects and device contexts held by owning wrappers right now. Wine's GetGuiResources
// always answers 0, so this count is the only way to see a leak from inside the process.
int64_t LiveGdiObjects();

// Copies of finished pictures to the screen. Every place where the skin engine puts a face that
// it composed off-screen onto a window copies it through CopyToScreen, which counts the copies
// and their pixels, so that a test or a benchmark can see what a change puts on the screen.
struct TScreenCopies {
  int64_t Copies = 0;
  int64_t Pixels = 0;
};
TScreenCopies ScreenCopies();
// Called with the target DC and the rectangle (in the DC's coordinates) of every copy while it
// is set, so that a test can tell which window received it; null stops it.
using TScreenCopyWatch = void (*)(HDC DC, const RECT& Area, void* Context);
void SetScreenCopyWatch(TScreenCopyWatch Watch, void* Context = nullptr);
// BitBlt with SRCCOPY of W x H pixels from (SrcX, SrcY) of Src to (X, Y) of Dst, counted.
BOOL CopyToScreen(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY);

namespace gdi_detail {
void CountCreated();
void CountDeleted();
} // namespace gdi_detail

// A brush, pen, font, bitmap or region. Owned (TGdiObjectT<H, true>) is deleted with the
// wrapper; borrowed (TGdiObjectT<H, false>) never is: stock objects, system colour brushes,
// handles that belong to someone else.
template <class H, bool Owned>
class TGdiObjectT {
public:
  TGdiObjectT() = default;
  explicit TGdiObjectT(H Handle) { Attach(Handle); }
  ~TGdiObjectT() { Reset(); }
  TGdiObjectT(const TGdiObjectT&) = delete;
  TGdiObjectT& operator=(const TGdiObjectT&) = delete;
  TGdiObjectT(TGdiObjectT&& Other) noexcept : FHandle(std::exchange(Other.FHandle, nullptr)) {}
  TGdiObjectT& operator=(TGdiObjectT&& Other) noexcept {
    if (this != &Other) {
      Reset();
      FHandle = std::exchange(Other.FHandle, nullptr);
    }
    return *this;
  }

  // Takes Handle (for an owning wrapper: takes it over); the previous one is released.
  void Attach(H Handle) {
    Reset();
    FHandle = Handle;
    if (Owned && FHandle) gdi_detail::CountCreated();
  }
  // Gives the handle up without deleting it.
  H Detach() {
    if (Owned && FHandle) gdi_detail::CountDeleted();
    return std::exchange(FHandle, nullptr);
  }
  void Reset() {
    if (!FHandle) return;
    if (Owned) {
      DeleteObject(FHandle);
      gdi_detail::CountDeleted();
    }
    FHandle = nullptr;
  }
  H Get() const { return FHandle; }
  operator H() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }

private:
  H FHandle = nullptr;
};

using TBrush = TGdiObjectT<HBRUSH, true>;
using TPen = TGdiObjectT<HPEN, true>;
using TFontHandle = TGdiObjectT<HFONT, true>;
using TBitmapHandle = TGdiObjectT<HBITMAP, true>;
using TRegion = TGdiObjectT<HRGN, true>;
using TBrushRef = TGdiObjectT<HBRUSH, false>;
using TFontRef = TGdiObjectT<HFONT, false>;

// A solid brush of one colour.
inline TBrush SolidBrush(COLORREF Color) {
  return TBrush(CreateSolidBrush(Color));
}
inline TRegion RectRegion(const RECT& R) {
  return TRegion(CreateRectRgn(R.left, R.top, R.right, R.bottom));
}

// BeginPaint and EndPaint of one WM_PAINT; EndPaint runs however the paint ends, so an
// exception cannot leave the window invalid (and repainting in a loop).
class TPaintDC {
public:
  explicit TPaintDC(HWND Wnd) : FWnd(Wnd), FDC(BeginPaint(Wnd, &FPaint)) {
    if (FDC) gdi_detail::CountCreated();
  }
  ~TPaintDC() {
    EndPaint(FWnd, &FPaint);
    if (FDC) gdi_detail::CountDeleted();
  }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }
  const RECT& PaintRect() const { return FPaint.rcPaint; }

private:
  HWND FWnd;
  PAINTSTRUCT FPaint{};
  HDC FDC;
};

// GetDC / GetWindowDC with their ReleaseDC. A null window gives the screen's DC.
template <bool WholeWindow>
class TWindowDCT {
public:
  explicit TWindowDCT(HWND Wnd) : FWnd(Wnd), FDC(WholeWindow ? GetWindowDC(Wnd) : GetDC(Wnd)) {
    if (FDC) gdi_detail::CountCreated();
  }
  ~TWindowDCT() {
    if (!FDC) return;
    ReleaseDC(FWnd, FDC);
    gdi_detail::CountDeleted();
  }
  TWindowDCT(const TWindowDCT&) = delete;
  TWindowDCT& operator=(const TWindowDCT&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
};
using TClientDC = TWindowDCT<false>;
using TWindowDC = TWindowDCT<true>;

// A memory device context compatible with Source (the screen when null).
class TMemoryDC {
public:
  explicit TMemoryDC(HDC Source = nullptr) : FDC(CreateCompatibleDC(Source)) {
    if (FDC) gdi_detail::CountCreated();
  }
  ~TMemoryDC() {
    if (!FDC) return;
    DeleteDC(FDC);
    gdi_detail::CountDeleted();
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }

private:
  HDC FDC;
};

// Selects an object into a DC and selects the previous one back when it goes out of scope.
class TSelectObject {
public:
  TSelectObject(HDC DC, HGDIOBJ Object)
      : FDC(DC), FOld(Object ? SelectObject(DC, Object) : nullptr) {}
  ~TSelectObject() {
    if (FOld) SelectObject(FDC, FOld);
  }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// SaveDC / RestoreDC around a change of origin, clipping or modes.
class TSavedDC {
public:
  explicit TSavedDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSavedDC() {
    if (FSaved) RestoreDC(FDC, FSaved);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

private:
  HDC FDC;
  int FSaved;
};
