// The count of live GDI objects held by the owning wrappers, and of the copies to the screen.
#include "base/GdiObjects.h"

namespace {
// Everything runs on the one GUI thread; plain counters are enough.
int64_t GLiveGdiObjects = 0;
TScreenCopies GScreenCopies;
TScreenCopyWatch GScreenCopyWatch = nullptr;
void* GScreenCopyContext = nullptr;
} // namespace

TScreenCopies ScreenCopies() {
  return GScreenCopies;
}

void SetScreenCopyWatch(TScreenCopyWatch Watch, void* Context) {
  GScreenCopyWatch = Watch;
  GScreenCopyContext = Context;
}

BOOL CopyToScreen(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY) {
  if (W <= 0 || H <= 0) return TRUE;
  ++GScreenCopies.Copies;
  GScreenCopies.Pixels += int64_t(W) * H;
  if (GScreenCopyWatch) GScreenCopyWatch(Dst, RECT{X, Y, X + W, Y + H}, GScreenCopyContext);
  return BitBlt(Dst, X, Y, W, H, Src, SrcX, SrcY, SRCCOPY);
}

int64_t LiveGdiObjects() {
  return GLiveGdiObjects;
}

namespace gdi_detail {
void CountCreated() {
  ++GLiveGdiObjects;
}
void CountDeleted() {
  --GLiveGdiObjects;
}
} // namespace gdi_detail
