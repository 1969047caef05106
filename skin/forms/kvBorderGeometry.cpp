// The geometry and pixel work of the auxiliary windows around a skinned window.
#include "skin/forms/kvBorderGeometry.h"

#include <algorithm>
#include <cmath>

#include "skin/forms/sFormGeometry.h"

namespace {

constexpr int ChB(uint32_t P) {
  return int(P & 0xFF);
}
constexpr int ChG(uint32_t P) {
  return int((P >> 8) & 0xFF);
}
constexpr int ChR(uint32_t P) {
  return int((P >> 16) & 0xFF);
}
constexpr int ChA(uint32_t P) {
  return int(P >> 24);
}
constexpr uint32_t Pix(int B, int G, int R, int A) {
  return uint32_t(B) | (uint32_t(G) << 8) | (uint32_t(R) << 16) | (uint32_t(A) << 24);
}
// c * a / 255 rounded to nearest, exactly, for 0..255 operands.
constexpr int MulDiv255(int C, int A) {
  int T = C * A + 128;
  return (T + (T >> 8)) >> 8;
}

// The source coordinate of target coordinate D along one axis of a nine-slice copy: the first
// M1 and the last M2 target pixels take the source's corners, the rest stretches the source's
// middle (nearest pixel). Corners that do not both fit share the target between them.
int NineSliceSource(int D, int DstLen, int SrcLen, int M1, int M2) {
  M1 = std::min(M1, SrcLen);
  M2 = std::min(M2, SrcLen - M1);
  if (D < M1 && D < DstLen - M2) return D;
  if (D >= DstLen - M2) return SrcLen - (DstLen - D);
  int SrcMid = SrcLen - M1 - M2, DstMid = DstLen - M1 - M2;
  if (SrcMid <= 0) return std::min(M1, SrcLen - 1); // nothing to stretch: the next pixel
  return M1 + int(int64_t(D - M1) * SrcMid / DstMid);
}

} // namespace

TRect ExBorderPlacement(const TRect& OwnerWindow, const TRect& Shadow, int ExBorderWidth,
                        int CaptionHeight, int SysFrame, int SysCaption, TSize Image) {
  int X = OwnerWindow.Left - (ExBorderWidth + Shadow.Left - SysFrame);
  int Y = OwnerWindow.Top - (Shadow.Top + CaptionHeight - SysFrame - SysCaption);
  return Bounds(X, Y, Image.cx, Image.cy);
}

TRect ExBorderClientCut(TPoint ClientOffset, TSize Client, TSize Window, int NewWidth,
                        int NewHeight, TSize MinSize) {
  int W = Client.cx, H = Client.cy;
  if (NewWidth > 0) W += std::max(NewWidth, MinSize.cx) - Window.cx;
  if (NewHeight > 0) H += std::max(NewHeight, MinSize.cy) - Window.cy;
  return Bounds(ClientOffset.X, ClientOffset.Y, std::max(0, W), std::max(0, H));
}

TRect ExBorderMaximizedLimit(TSize Image, const TRect& Shadow, int SysFrame, int ExBorderWidth) {
  int Side = SysFrame + ExBorderWidth;
  TRect R{Shadow.Left + Side, Shadow.Top + 4, Image.cx - Shadow.Right - Side,
          Image.cy - Shadow.Bottom - Side};
  return R.IsEmpty() ? TRect{} : R;
}

TRect ShadowTemplateMargins(bool HasExBorderImage, const TRect& BandWidths, int ExContentOffs,
                            int ExDrawMode, int DefaultMargin) {
  TRect M;
  if (!HasExBorderImage)
    M = {DefaultMargin, DefaultMargin, DefaultMargin, DefaultMargin};
  else if (ExDrawMode != 0)
    M = {ExContentOffs, ExContentOffs, ExContentOffs, ExContentOffs};
  else
    M = {BandWidths.Left - ExContentOffs, BandWidths.Top - ExContentOffs,
         BandWidths.Right - ExContentOffs, BandWidths.Bottom - ExContentOffs};
  return {std::max(0, M.Left), std::max(0, M.Top), std::max(0, M.Right), std::max(0, M.Bottom)};
}

void ComposeShadowUnder(TBitmap32& Image, const TBitmap32& Template, TRect SrcR, TRect Margins) {
  SrcR = SrcR.Intersected(Template.BoundsRect());
  if (Image.IsEmpty() || SrcR.IsEmpty()) return;
  const int W = Image.Width(), H = Image.Height();
  // The source column of every target column, computed once.
  std::unique_ptr<int[]> Cols(new int[size_t(W)]);
  for (int X = 0; X < W; ++X)
    Cols[size_t(X)] = SrcR.Left + NineSliceSource(X, W, SrcR.Width(), Margins.Left, Margins.Right);
  for (int Y = 0; Y < H; ++Y) {
    const uint32_t* S = Template.ScanLine(
        SrcR.Top + NineSliceSource(Y, H, SrcR.Height(), Margins.Top, Margins.Bottom));
    uint32_t* D = Image.ScanLine(Y);
    for (int X = 0; X < W; ++X) {
      uint32_t Top = D[X];
      int TA = ChA(Top);
      if (TA == 255) continue;
      uint32_t Under = S[Cols[size_t(X)]];
      int UA = MulDiv255(ChA(Under), 255 - TA); // what shows through of the shadow
      int A = TA + UA;
      if (A == 0) {
        D[X] = 0;
        continue;
      }
      auto Mix = [&](int T, int U) { return (T * TA + U * UA + A / 2) / A; };
      D[X] =
          Pix(Mix(ChB(Top), ChB(Under)), Mix(ChG(Top), ChG(Under)), Mix(ChR(Top), ChR(Under)), A);
    }
  }
}

uint32_t ReweightedShadowPixel(uint32_t Pixel) {
  int A = ChA(Pixel);
  if (A >= 255) return Pixel;
  int B = ChB(Pixel), G = ChG(Pixel), R = ChR(Pixel);
  int D = std::max({B, G, R}) - std::min({B, G, R});
  if (D == 0) return Pixel;
  double NewA = std::nearbyint(A + (510.0 - 2.0 * A) / std::sqrt(255.0 / D));
  int NA = int(std::min(255.0, NewA));
  return Pix(B - B / 16, G - G / 16, R - R / 16, NA);
}

void ReweightShadowPixels(TBitmap32& Image) {
  for (int Y = 0; Y < Image.Height(); ++Y) {
    uint32_t* Row = Image.ScanLine(Y);
    for (int X = 0; X < Image.Width(); ++X)
      Row[X] = ReweightedShadowPixel(Row[X]);
  }
}

void PremultipliedCopy(TBitmap32& Dst, const TBitmap32& Src) {
  Dst.SetSize(Src.Width(), Src.Height());
  for (int Y = 0; Y < Src.Height(); ++Y) {
    const uint32_t* S = Src.ScanLine(Y);
    uint32_t* D = Dst.ScanLine(Y);
    for (int X = 0; X < Src.Width(); ++X) {
      uint32_t P = S[X];
      int A = ChA(P);
      D[X] =
          A == 255 ? P : Pix(MulDiv255(ChB(P), A), MulDiv255(ChG(P), A), MulDiv255(ChR(P), A), A);
    }
  }
}

bool PointAboveTheShadow(TPoint P, TSize Size, const TRect& Shadow, int ShadowOffs, bool Zoomed) {
  if (Zoomed) return false;
  TRect Inner{Shadow.Left - ShadowOffs, Shadow.Top - ShadowOffs,
              Size.cx - (Shadow.Right - ShadowOffs), Size.cy - (Shadow.Bottom - ShadowOffs)};
  return !Inner.Contains(P.X, P.Y);
}

TRect StretchedToWorkArea(const TRect& Window, const TRect& WorkArea, const TRect& Margins,
                          bool Horizontal) {
  TRect R = Window;
  if (Horizontal) {
    R.Left = WorkArea.Left + Margins.Left;
    R.Right = WorkArea.Right - Margins.Right;
  } else {
    R.Top = WorkArea.Top + Margins.Top;
    R.Bottom = WorkArea.Bottom - Margins.Bottom;
  }
  return R;
}

TRect OutlineDragRect(int HitCode, const TRect& Start, TPoint Delta, TSize MinSize) {
  if (HitCode == htCaptionCode) return Start.Offsetted(Delta.X, Delta.Y);
  bool L = false, T = false, R = false, B = false;
  switch (HitCode) {
  case htLeftCode: L = true; break;
  case htRightCode: R = true; break;
  case htTopCode: T = true; break;
  case htBottomCode: B = true; break;
  case htTopLeftCode: T = L = true; break;
  case htTopRightCode: T = R = true; break;
  case htBottomLeftCode: B = L = true; break;
  default: B = R = true; break; // the bottom-right corner when no border is known
  }
  const int MinW = std::max(0, MinSize.cx), MinH = std::max(0, MinSize.cy);
  TRect Out = Start;
  if (L) Out.Left = std::min(Start.Left + Delta.X, Start.Right - MinW);
  if (R) Out.Right = std::max(Start.Right + Delta.X, Start.Left + MinW);
  if (T) Out.Top = std::min(Start.Top + Delta.Y, Start.Bottom - MinH);
  if (B) Out.Bottom = std::max(Start.Bottom + Delta.Y, Start.Top + MinH);
  return Out;
}
