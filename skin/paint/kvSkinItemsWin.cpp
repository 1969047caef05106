// Section painting over a device context's pixels (Windows build).
#include <windows.h>

#include "skin/paint/kvSkinItems.h"

int PaintSectionByName(TBitmap32& Bmp, const std::string& SectionName, const std::string& AltName,
                       void* SourceDC, TRect R, const TsSkinModel* Sm, int State) {
  if (!Sm || Bmp.IsEmpty()) return -1;
  if (!SourceDC)
    return PaintSectionByName(Bmp, SectionName, AltName, static_cast<const TBitmap32*>(nullptr), R,
                              Sm, State);
  HDC Dst = static_cast<HDC>(Bmp.NativeDC());
  if (!Dst) return -1;
  BitBlt(Dst, 0, 0, R.Width(), R.Height(), static_cast<HDC>(SourceDC), R.Left, R.Top, SRCCOPY);
  GdiFlush();
  // The copied pixels are the background: Bmp is its own ready parent.
  return PaintSectionByName(Bmp, SectionName, AltName, &Bmp, Bmp.BoundsRect(), Sm, State);
}
