// PNG pictures drawn onto device contexts.
#include <windows.h>

#include "skin/images/kvPNG.h"

void TPNGGraphic::Draw(void* DC, const TRect& R) const {
  if (IsEmpty() || R.Width() <= 0 || R.Height() <= 0) return;
  const bool Reflect =
      Reflected && FPixelFormat == pf32bit && R.Width() == FWidth && R.Height() == FHeight;
  const int W = R.Width(), H = R.Height() + (Reflect ? R.Height() / 2 : 0);
  TBitmap32 Temp(W, H);
  HDC TempDC = static_cast<HDC>(Temp.NativeDC());
  BitBlt(TempDC, 0, 0, W, H, static_cast<HDC>(DC), R.Left, R.Top, SRCCOPY);
  GdiFlush();
  Draw(Temp, {0, 0, R.Width(), R.Height()});
  BitBlt(static_cast<HDC>(DC), R.Left, R.Top, W, H, TempDC, 0, 0, SRCCOPY);
}
