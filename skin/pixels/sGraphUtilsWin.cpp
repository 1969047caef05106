// Pixel and colour primitives that draw through a device context (Windows build).
#include <windows.h>

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/pixels/sGraphUtils.h"

namespace {
RECT ToRECT(const TRect& R) {
  return RECT{R.Left, R.Top, R.Right, R.Bottom};
}

void FillWithBrush(HDC DC, const TRect& R, HBRUSH Brush) {
  if (R.IsEmpty()) return;
  RECT Rc = ToRECT(R);
  FillRect(DC, &Rc, Brush);
}
} // namespace

void FillSolid(void* DC0, const TRect& R, TColor Color) {
  HDC DC = static_cast<HDC>(DC0);
  if (!DC) return;
  TSavedDC Saved(DC);
  TBrush Brush = SolidBrush(ColorToRGB(Color));
  if (!Brush) return;
  {
    TSelectObject Selected(DC, Brush);
    FillWithBrush(DC, R, Brush);
  }
  GdiFlush();
}

void FillFrameSolid(void* DC0, const TRect& R, int WL, int WT, int WR, int WB, TColor Color) {
  HDC DC = static_cast<HDC>(DC0);
  if (!DC) return;
  TBrush Brush = SolidBrush(ColorToRGB(Color));
  if (!Brush) return;
  TRect Strips[4];
  FrameStrips(R, WL, WT, WR, WB, Strips);
  for (const TRect& S : Strips)
    FillWithBrush(DC, S, Brush);
  GdiFlush();
}

void Draw3DFrame(void* DC0, TRect R, TColor LightColor, int Count, TColor DarkColor) {
  HDC DC = static_cast<HDC>(DC0);
  if (!DC) return;
  TPen Light(CreatePen(PS_SOLID, 1, ColorToRGB(LightColor)));
  TPen Dark(CreatePen(PS_SOLID, 1, ColorToRGB(DarkColor)));
  if (!Light || !Dark) return;
  // Made after the pens, so that it selects the DC's own pen back before they are deleted.
  TSavedDC Saved(DC);
  // The lines fall inside R: its right and bottom edges become the last column and row.
  --R.Right;
  --R.Bottom;
  for (int i = 0; i < Count; ++i) {
    POINT TopLeft[3] = {{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}};
    SelectObject(DC, Light.Get());
    Polyline(DC, TopLeft, 3);
    // Polyline leaves out its end point: the dark line ends one pixel left of the corner so
    // that the bottom-left corner pixel is drawn.
    POINT BottomRight[3] = {{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left - 1, R.Bottom}};
    SelectObject(DC, Dark.Get());
    Polyline(DC, BottomRight, 3);
    R.Inflate(-1, -1);
  }
  GdiFlush();
}

void PaintRoundShadow(TBitmap32& Bmp, const TRect& R0, int Strength, int Radius, int Depth,
                      TColor Color) {
  TRect R = ClippedToBitmap(R0, Bmp);
  if (R.IsEmpty() || Depth < 0) return;
  int W = R.Width(), H = R.Height();
  TBitmap32 Mask(W, H);
  Mask.Fill(0x00FFFFFF);
  HDC DC = static_cast<HDC>(Mask.NativeDC());
  if (!DC) return;
  int Step = (255 - Strength * 255 / 100) / (Depth + 1);
  {
    TSavedDC Saved(DC);
    for (int i = 0; i < Depth && 2 * i < std::min(W, H); ++i) {
      int Level = std::clamp(255 - (i + 1) * Step, 0, 255);
      TBrush Brush = SolidBrush(RGB(Level, Level, Level));
      TPen Pen(CreatePen(PS_SOLID, 1, RGB(Level, Level, Level)));
      SelectObject(DC, Brush.Get());
      SelectObject(DC, Pen.Get());
      RoundRect(DC, i, i, W - i, H - i, Radius, Radius);
      SelectObject(DC, GetStockObject(NULL_BRUSH));
      SelectObject(DC, GetStockObject(NULL_PEN));
    }
  }
  GdiFlush();
  TBitmap32 Piece(W, H);
  for (int y = 0; y < H; ++y)
    std::copy(Bmp.ScanLine(R.Top + y) + R.Left, Bmp.ScanLine(R.Top + y) + R.Right,
              Piece.ScanLine(y));
  MultiplyByMask(Piece, Mask, Color);
  for (int y = 0; y < H; ++y)
    std::copy(Piece.ScanLine(y), Piece.ScanLine(y) + W, Bmp.ScanLine(R.Top + y) + R.Left);
}

void StretchBltCopy(TBitmap32& Dst, const TRect& DstR, const TBitmap32& Src, const TRect& SrcR) {
  HDC D = static_cast<HDC>(Dst.NativeDC());
  HDC S = static_cast<HDC>(Src.NativeDC());
  if (!D || !S) return;
  int OldMode = SetStretchBltMode(D, COLORONCOLOR);
  StretchBlt(D, DstR.Left, DstR.Top, DstR.Width(), DstR.Height(), S, SrcR.Left, SrcR.Top,
             SrcR.Width(), SrcR.Height(), SRCCOPY);
  SetStretchBltMode(D, OldMode);
  GdiFlush();
}

void TileGraphic(void* DC0, const TRect& R, const TBitmap32* Graphic, bool IsPattern) {
  HDC DC = static_cast<HDC>(DC0);
  if (!DC || !Graphic || Graphic->IsEmpty() || R.IsEmpty()) return;
  HDC Src = static_cast<HDC>(Graphic->NativeDC());
  if (!Src) return;
  int W = Graphic->Width(), H = Graphic->Height();
  if (IsPattern) {
    // A pattern picture is drawn whole, as many times as cover R, with the DC clipped to R.
    TSavedDC Saved(DC);
    IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
    for (int j = 0; j <= R.Height() / H; ++j)
      for (int i = 0; i <= R.Width() / W; ++i)
        BitBlt(DC, R.Left + i * W, R.Top + j * H, W, H, Src, 0, 0, SRCCOPY);
  } else {
    // Whole tiles first, then the last column and row cut to R.
    for (int y = R.Top; y < R.Bottom; y += H)
      for (int x = R.Left; x < R.Right; x += W)
        BitBlt(DC, x, y, std::min(W, R.Right - x), std::min(H, R.Bottom - y), Src, 0, 0, SRCCOPY);
  }
  GdiFlush();
}
