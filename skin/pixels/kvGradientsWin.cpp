// The four-corner gradient through the system's triangle gradient fill.
#include <windows.h>

#include "skin/pixels/kvGradients.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

using TGradientFill = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// The system's gradient fill, from msimg32 loaded on the first call, which few skins make: the
// library stays out of the program's start. Null when the system has none.
TGradientFill GradientFillFn() {
  static const TGradientFill Fn = [] {
    HMODULE Library = LoadLibraryW(L"msimg32.dll");
    return Library ? reinterpret_cast<TGradientFill>(
                         reinterpret_cast<void*>(GetProcAddress(Library, "GradientFill")))
                   : nullptr;
  }();
  return Fn;
}

} // namespace

bool PaintCornersGradientGdi(TBitmap32& Bmp, const TRect& R0, const TColor Colors[5]) {
  TRect R = R0.Intersected(Bmp.BoundsRect());
  HDC DC = static_cast<HDC>(Bmp.NativeDC());
  const TGradientFill Fill = GradientFillFn();
  if (R.IsEmpty() || !DC || !Fill) return false;
  const POINT Points[5] = {{R.Left, R.Top},
                           {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2},
                           {R.Right, R.Top},
                           {R.Right, R.Bottom},
                           {R.Left, R.Bottom}};
  TRIVERTEX V[5];
  for (int i = 0; i < 5; ++i) {
    TColor C = ColorToRGB(Colors[i]);
    V[i].x = Points[i].x;
    V[i].y = Points[i].y;
    V[i].Red = COLOR16(RValue(C) << 8);
    V[i].Green = COLOR16(GValue(C) << 8);
    V[i].Blue = COLOR16(BValue(C) << 8);
    V[i].Alpha = 0xFF00;
  }
  GRADIENT_TRIANGLE Mesh[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
  BOOL Ok = Fill(DC, V, 5, Mesh, 4, GRADIENT_FILL_TRIANGLE);
  GdiFlush();
  if (!Ok) return false;
  // Painted pixels are opaque, whatever the system left in the alpha byte.
  SetAlphaRect(Bmp, R, 255);
  return true;
}
