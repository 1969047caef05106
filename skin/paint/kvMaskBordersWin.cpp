// The window-region side of border masks (Windows build).
#include <windows.h>

#include "base/GdiObjects.h"
#include "skin/paint/kvMaskBorders.h"

void PaintMaskBordersWithRegion(const TsSkinModel& Sm, TBitmap32& Bmp, void* Region,
                                bool UpdateCorners, int State, const TsMaskData& Mask) {
  std::vector<TRect> Cut;
  PaintMaskBordersWithRegion(Sm, Bmp, Cut, UpdateCorners, State, Mask);
  if (!Region) return;
  HRGN Rgn = static_cast<HRGN>(Region);
  for (const TRect& R : Cut) {
    TRegion Run = RectRegion(RECT{R.Left, R.Top, R.Right, R.Bottom});
    if (Run) CombineRgn(Rgn, Rgn, Run, RGN_DIFF);
  }
}
