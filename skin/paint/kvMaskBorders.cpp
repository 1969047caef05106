// Border masks and single skin images.
#include "skin/paint/kvMaskBorders.h"

#include <algorithm>

#include "skin/data/sMaskData.h"
#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"

const TBitmap32* MaskSourceBitmap(const TsSkinModel& Sm, const TsMaskData& Mask) {
  if (!Mask.Manager) return nullptr;
  const TBitmap32* Src = Mask.Bmp ? Mask.Bmp.get() : Sm.MasterBitmap.get();
  return Src && !Src->IsEmpty() ? Src : nullptr;
}

namespace {

// The frame of state State: min(State, ImageCount - 1), never below 0.
int FrameOfState(const TsMaskData& Mask, int State) {
  return std::max(0, std::min(State, Mask.ImageCount - 1));
}

// Band widths shrunk so that both bands fit into Length: each loses half of the overlap, the
// second one pixel more for an odd overlap.
void ShrinkBands(int Length, int& First, int& Second) {
  if (Length >= First + Second) return;
  int D = First + Second - Length, H = D / 2;
  First = std::max(0, First - H);
  Second = std::max(0, Second - H - (D & 1));
}

// Appends the runs of key pixels of the source piece (SX, SY, W x H) placed at (X, Y) of a
// target of size Bounds, each run one row high.
void CollectKeyRuns(std::vector<TRect>& Cut, const TBitmap32& Src, int SX, int SY, int W, int H,
                    int X, int Y, const TRect& Bounds) {
  for (int j = 0; j < H; ++j) {
    int sy = SY + j;
    if (sy < 0 || sy >= Src.Height()) continue;
    const uint32_t* S = Src.ScanLine(sy);
    int Start = -1;
    for (int i = 0; i <= W; ++i) {
      int sx = SX + i;
      bool Key = i < W && sx >= 0 && sx < Src.Width() && S[sx] == KeyPixel;
      if (Key && Start < 0) Start = i;
      if (!Key && Start >= 0) {
        TRect Run = TRect{X + Start, Y + j, X + i, Y + j + 1}.Intersected(Bounds);
        if (!Run.IsEmpty()) Cut.push_back(Run);
        Start = -1;
      }
    }
  }
}

// Places the pieces of one border frame. Source coordinates are absolute in Src.
class TBorderPainter {
public:
  TBorderPainter(TBitmap32& Dst, const TBitmap32& Src, const TsMaskData& Mask, int FH, bool Stretch,
                 bool CornerFlag, const TCacheInfo& CI, std::vector<TRect>* Cut)
      : FDst(Dst), FSrc(Src), FMask(Mask), FFH(FH), FMasked(Mask.MaskType != 0), FStretch(Stretch),
        FCornerFlag(CornerFlag), FCI(CI), FCut(Cut) {}

  void Corner(int X, int Y, int SX, int SY, int W, int H) {
    if (W <= 0 || H <= 0) return;
    if (FCut) CollectKeyRuns(*FCut, FSrc, SX, SY, W, H, X, Y, FDst.BoundsRect());
    if (FMasked)
      CopyMasked(Bounds(X, Y, W, H), Bounds(SX, SY, W, H), FDst, FMask.R, FCornerFlag, FCI, FSrc);
    else
      CopyKeyed(FDst, FSrc, X, FCornerFlag, FCI, KeyPixel, Bounds(SX, SY, W, H), Y);
  }

  // A band along X from A to B at row Y, Height rows high, from a source piece SW wide.
  void HorzBand(int A, int B, int Y, int Height, int SX, int SY, int SW) {
    if (B <= A || Height <= 0) return;
    if (FStretch) {
      Stretched(A, Y, B - A, Height, SX, SY, SW, Height, false);
      return;
    }
    if (SW <= 0) return; // a tile of no length would never reach the end
    int Pos = A;
    for (; Pos < B - SW; Pos += SW)
      Piece(Pos, Y, SX, SY, SW, Height);
    Piece(Pos, Y, SX, SY, B - Pos, Height);
  }

  // A band along Y from A to B at column X, Width columns wide, from a source piece SH high.
  void VertBand(int A, int B, int X, int Width, int SX, int SY, int SH) {
    if (B <= A || Width <= 0) return;
    if (FStretch) {
      Stretched(X, A, Width, B - A, SX, SY, Width, SH, false);
      return;
    }
    if (SH <= 0) return;
    int Pos = A;
    for (; Pos < B - SH; Pos += SH)
      Piece(X, Pos, SX, SY, Width, SH);
    Piece(X, Pos, SX, SY, Width, B - Pos);
  }

  void Centre(const TRect& T, int SX, int SY, int SW, int SH) {
    if (T.IsEmpty()) return;
    if (FStretch) {
      Stretched(T.Left, T.Top, T.Width(), T.Height(), SX, SY, SW, SH, true);
      return;
    }
    if (SW <= 0 || SH <= 0) return;
    if (FMasked && MaskedCentreRows(T, SX, SY, SW, SH)) return;
    int Y = T.Top;
    for (; Y < T.Bottom - SH; Y += SH)
      HorzBand(T.Left, T.Right, Y, SH, SX, SY, SW);
    HorzBand(T.Left, T.Right, Y, T.Bottom - Y, SX, SY, SW);
  }

private:
  // A masked centre of small tiles: one row of tiles with its mask is laid out once, then copied
  // through its mask row by row, which gives the same pixels as tile by tile. False when the
  // source piece or its mask leaves the source bitmap (the tiles then clip one by one).
  bool MaskedCentreRows(const TRect& T, int SX, int SY, int SW, int SH) {
    int MaskRows = FMask.R.Height() / 2;
    if (SX < 0 || SY < 0 || SX + SW > FSrc.Width() || SY + MaskRows + SH > FSrc.Height())
      return false;
    int W = T.Width();
    TBitmap32 Strip(W, 2 * SH);
    for (int j = 0; j < SH; ++j) {
      const uint32_t* S = FSrc.ScanLine(SY + j) + SX;
      const uint32_t* M = FSrc.ScanLine(SY + MaskRows + j) + SX;
      uint32_t* D = Strip.ScanLine(j);
      uint32_t* DM = Strip.ScanLine(SH + j);
      for (int i = 0; i < W; ++i) {
        D[i] = S[i % SW];
        DM[i] = M[i % SW];
      }
    }
    TRect StripR = Strip.BoundsRect();
    for (int Y = T.Top; Y < T.Bottom; Y += SH)
      CopyMasked(Bounds(T.Left, Y, W, std::min(SH, T.Bottom - Y)), Bounds(0, 0, W, SH), FDst,
                 StripR, false, TCacheInfo{}, Strip);
    return true;
  }

  // One tile (or the cut last one) of an edge or the centre: key pixels are skipped.
  void Piece(int X, int Y, int SX, int SY, int W, int H) {
    if (W <= 0 || H <= 0) return;
    if (FMasked)
      CopyMasked(Bounds(X, Y, W, H), Bounds(SX, SY, W, H), FDst, FMask.R, false, TCacheInfo{},
                 FSrc);
    else
      CopyPixels(FDst, X, Y, FSrc, Bounds(SX, SY, W, H));
  }

  void Stretched(int X, int Y, int W, int H, int SX, int SY, int SW, int SH, bool IsCentre) {
    if (W <= 0 || H <= 0 || SW <= 0 || SH <= 0) return;
    if (FMasked)
      StretchMasked(X, Y, W, IsCentre, FFH, FSrc, FDst, SH, SW, SY, SX, H);
    else
      StretchCopy(FDst, Bounds(X, Y, W, H), FSrc, Bounds(SX, SY, SW, SH));
  }

  TBitmap32& FDst;
  const TBitmap32& FSrc;
  const TsMaskData& FMask;
  int FFH;
  bool FMasked, FStretch, FCornerFlag;
  const TCacheInfo& FCI;
  std::vector<TRect>* FCut;
};

void PaintBorders(const TsSkinModel& Sm, TBitmap32& Bmp, TRect R, bool UpdateCorners, int State,
                  const TsMaskData& Mask, const TCacheInfo& CI, std::vector<TRect>* Cut) {
  if (State == 0 && (Mask.DrawMode & dmSkipNormal)) return;
  if (R.Width() < 2 || R.Height() < 2) return;
  const TBitmap32* Src = MaskSourceBitmap(Sm, Mask);
  if (!Src) return;

  int wl = Mask.WL, wt = Mask.WT, wr = Mask.WR, wb = Mask.WB;
  ShrinkBands(R.Width(), wl, wr);
  ShrinkBands(R.Height(), wt, wb);

  int fw = FrameWidth(Mask), fh = FrameHeight(Mask);
  if (fw <= 0 || fh <= 0) return;
  int sx = Mask.R.Left + FrameOfState(Mask, State) * fw, sy = Mask.R.Top;
  int cw = fw - wl - wr, ch = fh - wt - wb;
  if (cw < 0 || ch < 0) return;

  bool Stretch = Mask.DrawMode & dmStretch;
  bool CornerFlag = UpdateCorners && Mask.CornerType > 0;
  TBorderPainter P(Bmp, *Src, Mask, fh, Stretch, CornerFlag, CI, Cut);
  // An image without a mask takes its bottom pieces from the bottom of the whole region.
  int BottomY = Mask.MaskType != 0 ? sy + fh - wb : Mask.R.Bottom - wb;
  int RightX = sx + wl + cw;

  P.Corner(R.Left, R.Top, sx, sy, wl, wt);
  P.VertBand(R.Top + wt, R.Bottom - wb, R.Left, wl, sx, sy + wt, ch);
  P.HorzBand(R.Left + wl, R.Right - wr, R.Top, wt, sx + wl, sy, cw);
  P.Corner(R.Left, R.Bottom - wb, sx, BottomY, wl, wb);
  P.HorzBand(R.Left + wl, R.Right - wr, R.Bottom - wb, wb, sx + wl, BottomY, cw);
  P.Corner(R.Right - wr, R.Bottom - wb, RightX, BottomY, wr, wb);
  P.Corner(R.Right - wr, R.Top, RightX, sy, wr, wt);
  P.VertBand(R.Top + wt, R.Bottom - wb, R.Right - wr, wr, RightX, sy + wt, ch);
  if (Mask.DrawMode & dmDrawCentre)
    P.Centre({R.Left + wl, R.Top + wt, R.Right - wr, R.Bottom - wb}, sx + wl, sy + wt, cw, ch);
}

} // namespace

void PaintMaskBorders(const TsSkinModel& Sm, TBitmap32& Bmp, TRect R, bool UpdateCorners, int State,
                      const TsMaskData& Mask, const TCacheInfo& CI) {
  PaintBorders(Sm, Bmp, R, UpdateCorners, State, Mask, CI, nullptr);
}

void PaintMaskBordersWithRegion(const TsSkinModel& Sm, TBitmap32& Bmp, std::vector<TRect>& Cut,
                                bool UpdateCorners, int State, const TsMaskData& Mask) {
  PaintBorders(Sm, Bmp, Bmp.BoundsRect(), UpdateCorners, State, Mask, TCacheInfo{}, &Cut);
}

void DrawMaskImage(const TsSkinModel& Sm, TBitmap32& Bmp, TPoint P, int State, const TCacheInfo& CI,
                   const TsMaskData& Mask, int Mode) {
  const TBitmap32* Src = MaskSourceBitmap(Sm, Mask);
  if (!Src || Mask.ImageCount <= 0) return;
  int fw = FrameWidth(Mask), fh = FrameHeight(Mask);
  if (fw <= 0 || fh <= 0) return;
  int SX = Mask.R.Left + FrameOfState(Mask, State) * fw, SY = Mask.R.Top;
  // Columns left of and rows above the bitmap are skipped, the rest stays in place.
  int SkipX = std::max(0, -P.X), SkipY = std::max(0, -P.Y);
  if (SkipX >= fw || SkipY >= fh) return;
  TRect DstR{P.X + SkipX, P.Y + SkipY, P.X + fw, P.Y + fh};
  TRect SrcR{SX + SkipX, SY + SkipY, SX + fw, SY + fh};
  if (Mask.Bmp) {
    if (Src->Width() < Mask.R.Right || Src->Height() < Mask.R.Bottom) return;
    CopyMaskedImage(DstR, SrcR, Bmp, Mask.R, Mask.MaskType, Mode, *Src);
  } else if (Mask.MaskType != 0) {
    CopyMaskedImage(DstR, SrcR, Bmp, Mask.R, Mask.MaskType, Mode, *Src);
  } else {
    if (Mode == 1)
      CopyKeyed(Bmp, *Src, DstR.Left, true, CI, KeyPixel, SrcR, DstR.Top);
    else
      BlendKeyed(Bmp, DstR.Left, DstR.Top, KeyPixel, 0.5, SrcR, *Src);
  }
}

void AddTransparentCornerRects(const TsSkinModel& Sm, std::vector<TRect>& Rects, int Width,
                               const TsMaskData& Mask, bool Bottom, int Y) {
  const TBitmap32* Src = MaskSourceBitmap(Sm, Mask);
  if (!Src) return;
  int H = Bottom ? Mask.WB : Mask.WT;
  int Start = Mask.R.Top + (Bottom ? FrameHeight(Mask) - Mask.WB : 0);
  // Every row of the band must lie in the image.
  if (H <= 0 || Start < 0 || Start + H > Src->Height()) return;

  // The key runs of the columns [From, To) of the band, a run at column i placed at x = i + Dx.
  auto Scan = [&](int From, int To, int Dx) {
    From = std::max(From, -Mask.R.Left);
    To = std::min(To, Src->Width() - Mask.R.Left);
    if (From >= To) return;
    for (int r = 0; r < H; ++r) {
      const uint32_t* Row = Src->ScanLine(Start + r) + Mask.R.Left;
      int RunStart = -1;
      for (int i = From; i <= To; ++i) {
        bool Key = i < To && Row[i] == KeyPixel;
        if (Key && RunStart < 0) RunStart = i;
        if (!Key && RunStart >= 0) {
          Rects.push_back({RunStart + Dx, Y + r, i + Dx, Y + r + 1});
          RunStart = -1;
        }
      }
    }
  };
  Scan(0, Mask.WL, 0);
  if (Mask.ImageCount <= 0) return; // no frames: no right corner to find
  int fw = Mask.R.Width() / Mask.ImageCount;
  Scan(fw - Mask.WR, fw, Width - fw);
}

void PaintNineSlice(TBitmap32& Dst, const TBitmap32& Src, TRect R, bool DrawCentre, int CentreMode,
                    const int EdgeModes[4], TRect Limits, TRect Margins, TRect SrcR) {
  int ml = Margins.Left, mt = Margins.Top, mr = Margins.Right, mb = Margins.Bottom;
  int cl = std::min(ml, Limits.Left), ct = std::min(mt, Limits.Top);
  int cr = std::min(mr, Limits.Right), cb = std::min(mb, Limits.Bottom);
  int SW = SrcR.Width(), SH = SrcR.Height();
  int cx = std::max(0, SW - ml - mr), cy = std::max(0, SH - mt - mb);
  int SL = SrcR.Left, ST = SrcR.Top;
  auto Copy = [&](int X, int Y, int SX, int SY, int W, int H) {
    if (W > 0 && H > 0) CopyPixels(Dst, X, Y, Src, Bounds(SX, SY, W, H));
  };
  // Corners, each an L when its limit is below its margin.
  Copy(R.Left, R.Top, SL, ST, ml, ct);
  Copy(R.Left, R.Top + ct, SL, ST + ct, cl, mt - ct);
  Copy(R.Left, R.Bottom - cb, SL, ST + SH - cb, ml, cb);
  Copy(R.Left, R.Bottom - mb, SL, ST + SH - mb, cl, mb - cb);
  Copy(R.Right - mr, R.Top, SL + SW - mr, ST, mr, ct);
  Copy(R.Right - cr, R.Top + ct, SL + SW - cr, ST + ct, cr, mt - ct);
  Copy(R.Right - mr, R.Bottom - cb, SL + SW - mr, ST + SH - cb, mr, cb);
  Copy(R.Right - cr, R.Bottom - mb, SL + SW - cr, ST + SH - mb, cr, mb - cb);

  // One band: the source piece (SX, SY, PW x PH) over the target (X, Y, W x H), tiled along
  // the band's direction or stretched.
  auto Band = [&](int Mode, bool Vertical, int X, int Y, int W, int H, int SX, int SY, int PW,
                  int PH) {
    if (W <= 0 || H <= 0 || PW <= 0 || PH <= 0) return;
    if (Mode == nsStretch) {
      StretchCopy(Dst, Bounds(X, Y, W, H), Src, Bounds(SX, SY, PW, PH));
      return;
    }
    if (Mode != nsTile) return;
    if (Vertical) {
      int End = Y + H, P = Y;
      for (; P < End - PH; P += PH)
        Copy(X, P, SX, SY, std::min(W, PW), PH);
      Copy(X, P, SX, SY, std::min(W, PW), End - P);
    } else {
      int End = X + W, P = X;
      for (; P < End - PW; P += PW)
        Copy(P, Y, SX, SY, PW, std::min(H, PH));
      Copy(P, Y, SX, SY, End - P, std::min(H, PH));
    }
  };
  int EH = R.Height() - mt - mb, EW = R.Width() - ml - mr;
  if (cy > 0) {
    Band(EdgeModes[0], true, R.Left, R.Top + mt, cl, EH, SL, ST + mt, cl, cy);
    Band(EdgeModes[2], true, R.Right - cr, R.Top + mt, cr, EH, SL + SW - cr, ST + mt, cr, cy);
  }
  if (cx > 0) {
    Band(EdgeModes[1], false, R.Left + ml, R.Top, EW, ct, SL + ml, ST, cx, ct);
    Band(EdgeModes[3], false, R.Left + ml, R.Bottom - cb, EW, cb, SL + ml, ST + SH - cb, cx, cb);
  }
  if (!DrawCentre || EW <= 0 || EH <= 0 || cx <= 0 || cy <= 0) return;
  TRect C = Bounds(R.Left + ml, R.Top + mt, EW, EH);
  if (CentreMode == nsStretch) {
    StretchCopy(Dst, C, Src, Bounds(SL + ml, ST + mt, cx, cy));
  } else if (CentreMode == nsTile) {
    int X = C.Left;
    for (; X < C.Right; X += cx)
      Band(nsTile, true, X, C.Top, std::min(cx, C.Right - X), EH, SL + ml, ST + mt, cx, cy);
  }
}

void RepaintCornersOver(const TsSkinModel& Sm, TBitmap32& Cache, int State, int Corners,
                        const TsMaskData& Mask, const TCacheInfo& BG) {
  const TBitmap32* Src = MaskSourceBitmap(Sm, Mask);
  if (!Src || Cache.IsEmpty()) return;
  TsMaskData M = Mask;
  if (M.ImageCount <= 0) {
    if (!M.Bmp) return;
    // An image of its own without frames: three states over a mask, the whole image.
    M.ImageCount = 3;
    M.MaskType = 1;
    M.R = M.Bmp->BoundsRect();
  }
  int fw = FrameWidth(M), fh = FrameHeight(M);
  if (fw <= 0 || fh <= 0) return;
  int sx = M.R.Left + FrameOfState(M, State) * fw, sy = M.R.Top;
  int W = Cache.Width(), H = Cache.Height();
  int wl = M.WL, wt = M.WT, wr = M.WR, wb = M.WB;
  bool Masked = M.MaskType != 0;
  int MaskRows = Masked ? fh : 0;
  uint32_t FillPix = WithAlpha(ColorToPixel(ColorToRGB(BG.FillColor)), 255);
  bool HaveImage = BG.Ready && BG.Bmp && !BG.Bmp->IsEmpty();

  auto Background = [&](int X, int Y) {
    if (!HaveImage) return FillPix;
    int PX = X + BG.X, PY = Y + BG.Y;
    if (PX < 0 || PY < 0 || PX >= BG.Bmp->Width() || PY >= BG.Bmp->Height()) return FillPix;
    return WithAlpha(BG.Bmp->Pixel(PX, PY), 255);
  };
  auto Piece = [&](int X, int Y, int SX, int SY, int PW, int PH) {
    for (int j = 0; j < PH; ++j) {
      int DY = Y + j, SYj = SY + j;
      if (DY < 0 || DY >= H || SYj < 0 || SYj + MaskRows >= Src->Height()) continue;
      const uint32_t* S = Src->ScanLine(SYj);
      const uint32_t* Mk = Src->ScanLine(SYj + MaskRows);
      uint32_t* D = Cache.ScanLine(DY);
      for (int i = 0; i < PW; ++i) {
        int DX = X + i, SXi = SX + i;
        if (DX < 0 || DX >= W || SXi < 0 || SXi >= Src->Width()) continue;
        uint32_t B = Background(DX, DY), s = S[SXi];
        if (s == KeyPixel)
          D[DX] = B;
        else
          D[DX] = Masked ? WithAlpha(BlendPixelByMask(B, s, Mk[SXi]), 255) : WithAlpha(s, 255);
      }
    }
  };
  if (Corners & bcTopLeft) Piece(0, 0, sx, sy, wl, wt);
  if (Corners & bcBottomLeft) Piece(0, H - wb, sx, sy + fh - wb, wl, wb);
  if (Corners & bcBottomRight) Piece(W - wr, H - wb, sx + fw - wr, sy + fh - wb, wr, wb);
  if (Corners & bcTopRight) Piece(W - wr, 0, sx + fw - wr, sy, wr, wt);
}

void PaintBorderFrameInto(const TsSkinModel& Sm, TBitmap32& Cache, TRect R, int ExtraWidth,
                          TRect& ClientR, int State, const TsMaskData* Mask, TColor Colour,
                          const TCacheInfo& BG) {
  ClientR = R;
  if (Mask) {
    if (Mask->MaskType == 1) {
      if (BG.Ready && BG.Bmp) {
        int m = std::max({Mask->WL, Mask->WB, Mask->WT, Mask->WR});
        int X = BG.X + R.Left, Y = BG.Y + R.Top;
        CopyPixels(Cache, R.Left, R.Top, *BG.Bmp, Bounds(X, Y, m, R.Height()));
        CopyPixels(Cache, R.Left, R.Top, *BG.Bmp, Bounds(X, Y, R.Width(), m));
        CopyPixels(Cache, R.Right - m, R.Top, *BG.Bmp, Bounds(X + R.Width() - m, Y, m, R.Height()));
        CopyPixels(Cache, R.Left, R.Bottom - m, *BG.Bmp,
                   Bounds(X, Y + R.Height() - m, R.Width(), m));
      } else {
        FillFramePixels32(Cache, R, Mask->WL, Colour, Mask->WB, Mask->WR, Mask->WT);
      }
    }
    PaintMaskBorders(Sm, Cache, R, true, State, *Mask, BG);
    ClientR = {R.Left + Mask->WL, R.Top + Mask->WT, R.Right - Mask->WR, R.Bottom - Mask->WB};
    if (ExtraWidth > 0) {
      int W = R.Width(), H = R.Height();
      int L = std::max(0, std::min(ExtraWidth, W - Mask->WR) - Mask->WL);
      int T = std::max(0, std::min(ExtraWidth, H - Mask->WB) - Mask->WT);
      int Rt = std::max(0, std::min(ExtraWidth, W - Mask->WL) - Mask->WR);
      int B = std::max(0, std::min(ExtraWidth, H - Mask->WT) - Mask->WB);
      FillFramePixels32(Cache, ClientR, L, Colour, B, Rt, T);
    }
  } else if (ExtraWidth > 0) {
    FillFramePixels32(Cache, R, ExtraWidth, Colour, ExtraWidth, ExtraWidth, ExtraWidth);
  }
  if (ExtraWidth > 0) {
    ClientR = {R.Left + ExtraWidth, R.Top + ExtraWidth, R.Right - ExtraWidth,
               R.Bottom - ExtraWidth};
    // Never inverted: a frame wider than the control leaves an empty client in its middle.
    if (ClientR.Right < ClientR.Left) ClientR.Left = ClientR.Right = (R.Left + R.Right) / 2;
    if (ClientR.Bottom < ClientR.Top) ClientR.Top = ClientR.Bottom = (R.Top + R.Bottom) / 2;
  }
}
