// Pixel and colour primitives on 32-bit bitmaps (platform-free part).
#include "skin/pixels/sGraphUtils.h"

#include <algorithm>
#include <vector>

namespace {
uint32_t PixelOf(TColor Color) {
  return ColorToPixel(ColorToRGB(Color));
}

bool IsGreyPixel(uint32_t P) {
  return PixR(P) == PixG(P) && PixG(P) == PixB(P);
}
} // namespace

// Rectangle utilities -------------------------------------------------------------------------

int RectWidth(const TRect& R, bool ClampNegative) {
  int W = R.Right - R.Left;
  return ClampNegative && W < 0 ? 0 : W;
}

int RectHeight(const TRect& R, bool ClampNegative) {
  int H = R.Bottom - R.Top;
  return ClampNegative && H < 0 ? 0 : H;
}

bool RectsOverlap(const TRect& Outer, const TRect& R) {
  if (R.IsEmpty()) return false;
  return !(R.Right <= Outer.Left || R.Left >= Outer.Right || R.Bottom <= Outer.Top ||
           R.Top >= Outer.Bottom);
}

TRect ClippedToBitmap(const TRect& R, const TBitmap32& Bmp) {
  return R.Intersected(Bmp.BoundsRect());
}

bool ClipCopy(TCopyBox& B, const TBitmap32& Dst, const TBitmap32& Src) {
  auto ClipLow = [](int& A, int& Other, int& Size) {
    if (A < 0) {
      Other -= A;
      Size += A;
      A = 0;
    }
  };
  ClipLow(B.DX, B.SX, B.W);
  ClipLow(B.SX, B.DX, B.W);
  ClipLow(B.DY, B.SY, B.H);
  ClipLow(B.SY, B.DY, B.H);
  B.W = std::min({B.W, Dst.Width() - B.DX, Src.Width() - B.SX});
  B.H = std::min({B.H, Dst.Height() - B.DY, Src.Height() - B.SY});
  return B.W > 0 && B.H > 0;
}

// Fills --------------------------------------------------------------------------------------

void FillPixels32(TBitmap32& Bmp, TRect R, TColor Color, uint8_t Alpha) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  uint32_t P = WithAlpha(PixelOf(Color), Alpha);
  for (int y = R.Top; y < R.Bottom; ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    std::fill(Row + R.Left, Row + R.Right, P);
  }
}

void FrameStrips(const TRect& R, int WL, int WT, int WR, int WB, TRect Strips[4]) {
  Strips[0] = {R.Left, R.Top, R.Right, R.Top + WT};
  Strips[1] = {R.Left, R.Top + WT, R.Left + WL, R.Bottom};
  Strips[2] = {R.Left + WL, R.Bottom - WB, R.Right, R.Bottom};
  Strips[3] = {R.Right - WR, R.Top + WT, R.Right, R.Bottom - WB};
}

void FillFramePixels32(TBitmap32& Bmp, const TRect& R, int WL, TColor Color, int WB, int WR,
                       int WT) {
  TRect Strips[4];
  FrameStrips(R, WL, WT, WR, WB, Strips);
  for (const TRect& S : Strips)
    FillPixels32(Bmp, S, Color, 255);
}

// Colour arithmetic --------------------------------------------------------------------------

TColor BlendColors(TColor C1, TColor C2, double K) {
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  auto Mix = [K](int A, int B) { return RoundByte(K * A + (1.0 - K) * B); };
  return (C1 & 0xFF000000u) | RGBColor(Mix(RValue(C1), RValue(C2)), Mix(GValue(C1), GValue(C2)),
                                       Mix(BValue(C1), BValue(C2)));
}

TColor AverageColors(TColor C1, TColor C2) {
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  auto Avg = [](int A, int B) { return (A * 127 + B * 129) >> 8; };
  return RGBColor(Avg(RValue(C1), RValue(C2)), Avg(GValue(C1), GValue(C2)),
                  Avg(BValue(C1), BValue(C2)));
}

uint32_t ShiftSaturationPixel(int Amount, uint32_t P) {
  if (Amount == 0) return P;
  int B = PixB(P), G = PixG(P), R = PixR(P);
  double Avg = (R + G + B) / 3.0;
  auto Shift = [&](int C) { return RoundByte(C - (Avg - C) * Amount / 100.0); };
  return MakePixel(Shift(B), Shift(G), Shift(R), PixA(P));
}

uint32_t ShiftHuePixel(int Degrees, uint32_t P) {
  if (Degrees == 0) return P;
  int R = PixR(P), G = PixG(P), B = PixB(P);
  int V = std::max({R, G, B});
  int Delta = V - std::min({R, G, B});
  if (V == 0 || Delta == 0) return P; // grey: no hue to turn
  double S = double(Delta) / V;
  double K = 60.0 / Delta;
  double Rp = V - K * R, Gp = V - K * G, Bp = V - K * B;
  double H;
  if (V == R)
    H = Bp - Gp;
  else if (V == G)
    H = 120.0 + Rp - Bp;
  else
    H = 240.0 + Gp - Rp;
  if (H < 0) H += 360.0;
  int64_t H2 = RoundHalfEven(H + Degrees) % 360;
  if (H2 < 0) H2 += 360; // a negative offset must still land in 0..359
  double Hf = H2 / 60.0;
  int I = int(Hf);
  double F = Hf - I;
  auto Clamp = [](double X) { return std::clamp(X, 0.0, 255.0); };
  int Pv = RoundByte(Clamp(V * (1 - S)));
  int Qv = RoundByte(Clamp(V * (1 - F * S)));
  int Tv = RoundByte(Clamp(V * (1 - (1 - F) * S)));
  int Rn, Gn, Bn;
  switch (I) {
  case 0: Rn = V, Gn = Tv, Bn = Pv; break;
  case 1: Rn = Qv, Gn = V, Bn = Pv; break;
  case 2: Rn = Pv, Gn = V, Bn = Tv; break;
  case 3: Rn = Pv, Gn = Qv, Bn = V; break;
  case 4: Rn = Tv, Gn = Pv, Bn = V; break;
  default: Rn = V, Gn = Pv, Bn = Qv; break;
  }
  return MakePixel(Bn, Gn, Rn, PixA(P));
}

// The colour forms work in pixel order, so that a colour and a pixel of the same visible
// colour give the same result.
TColor ShiftSaturation(int Amount, TColor Color) {
  if (Amount == 0) return Color;
  return PixelToColor(ShiftSaturationPixel(Amount, ColorToPixel(ColorToRGB(Color))));
}

TColor ShiftHue(int Degrees, TColor Color) {
  if (Degrees == 0) return Color;
  return PixelToColor(ShiftHuePixel(Degrees, ColorToPixel(ColorToRGB(Color))));
}

// Recolouring --------------------------------------------------------------------------------

namespace {
template <typename F>
void ForEachPixel(TBitmap32& Bmp, const TRect& R, F Fn) {
  for (int y = R.Top; y < R.Bottom; ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    for (int x = R.Left; x < R.Right; ++x)
      Row[x] = Fn(Row[x]);
  }
}
} // namespace

void ShiftBitmapHue(TBitmap32& Bmp, int Degrees) {
  if (Degrees == 0 || Bmp.IsEmpty()) return;
  ForEachPixel(Bmp, Bmp.BoundsRect(), [Degrees](uint32_t P) {
    return P == KeyPixel || IsGreyPixel(P) ? P : ShiftHuePixel(Degrees, P);
  });
}

void ShiftBitmapSaturation(TBitmap32& Bmp, int Amount) {
  if (Amount == 0 || Bmp.IsEmpty()) return;
  ForEachPixel(Bmp, Bmp.BoundsRect(), [Amount](uint32_t P) {
    return P == KeyPixel || IsGreyPixel(P) ? P : ShiftSaturationPixel(Amount, P);
  });
}

namespace {
uint32_t GrayPixel(uint32_t P) {
  int V = (PixR(P) + PixG(P) + PixB(P)) / 3;
  return MakePixel(V, V, V, PixA(P));
}
} // namespace

void GrayBitmap(TBitmap32& Bmp) {
  if (Bmp.IsEmpty()) return;
  ForEachPixel(Bmp, Bmp.BoundsRect(), GrayPixel);
}

void GrayBitmapKeyed(TBitmap32& Bmp, uint32_t Key) {
  if (Bmp.IsEmpty()) return;
  ForEachPixel(Bmp, Bmp.BoundsRect(), [Key](uint32_t P) { return P == Key ? P : GrayPixel(P); });
}

void TintRect(TBitmap32& Bmp, TRect R, int Percent, TColor Color) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  uint32_t C = PixelOf(Color);
  double E = Percent / 100.0;
  auto Mix = [E](int P, int Cc) { return RoundByte(E * P + (1.0 - E) * Cc); };
  ForEachPixel(Bmp, R, [&](uint32_t P) {
    return MakePixel(Mix(PixB(P), PixB(C)), Mix(PixG(P), PixG(C)), Mix(PixR(P), PixR(C)), PixA(P));
  });
}

void AverageRect(TBitmap32& Bmp, TRect R, TColor Color) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  uint32_t C = PixelOf(Color);
  auto Avg = [](int P, int Cc) { return (P * 127 + Cc * 129) >> 8; };
  ForEachPixel(Bmp, R, [&](uint32_t P) {
    return MakePixel(Avg(PixB(P), PixB(C)), Avg(PixG(P), PixG(C)), Avg(PixR(P), PixR(C)), PixA(P));
  });
}

void TintRectAlpha(TBitmap32& Bmp, TRect R, TColor Color, uint8_t Alpha, int Percent) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  uint32_t C = PixelOf(Color);
  auto Mix = [Percent](int P, int Cc) { return RoundByte(P - Percent * double(P - Cc) / 100.0); };
  ForEachPixel(Bmp, R, [&](uint32_t P) {
    return MakePixel(Mix(PixB(P), PixB(C)), Mix(PixG(P), PixG(C)), Mix(PixR(P), PixR(C)), Alpha);
  });
}

void TintBitmap(TBitmap32& Bmp, TColor Color, double K) {
  if (Bmp.IsEmpty()) return;
  uint32_t C = PixelOf(Color);
  auto Mix = [K](int P, int Cc) { return RoundByte(K * (P - Cc) + Cc); };
  ForEachPixel(Bmp, Bmp.BoundsRect(), [&](uint32_t P) {
    if (P == KeyPixel) return P;
    return MakePixel(Mix(PixB(P), PixB(C)), Mix(PixG(P), PixG(C)), Mix(PixR(P), PixR(C)), PixA(P));
  });
}

void SetAlphaRect(TBitmap32& Bmp, TRect R, uint8_t Alpha, uint32_t Key) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  ForEachPixel(Bmp, R,
               [&](uint32_t P) { return Key != NoKey && P == Key ? P : WithAlpha(P, Alpha); });
}

void PremultiplyAlpha(TBitmap32& Bmp, TRect R) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty()) return;
  ForEachPixel(Bmp, R, [](uint32_t P) -> uint32_t {
    if (P == 0x00FFFFFFu) return 0;
    int A = PixA(P);
    return MakePixel(PixB(P) * A >> 8, PixG(P) * A >> 8, PixR(P) * A >> 8, A);
  });
}

void PremultiplyAlpha(TBitmap32& Bmp) {
  PremultiplyAlpha(Bmp, Bmp.BoundsRect());
}

void MultiplyByMask(TBitmap32& Dst, const TBitmap32& Mask, TColor Color) {
  if (!Dst.SameSize(Mask) || Dst.IsEmpty()) return;
  uint32_t C = PixelOf(Color);
  for (int y = 0; y < Dst.Height(); ++y) {
    uint32_t* D = Dst.ScanLine(y);
    const uint32_t* M = Mask.ScanLine(y);
    for (int x = 0; x < Dst.Width(); ++x)
      D[x] = BlendPixelByMask(D[x], C, M[x]);
  }
}

// Blends of bitmaps --------------------------------------------------------------------------

void BlendRect(TBitmap32& Dst, const TBitmap32& Src, int W, TPoint P, TRect SrcR) {
  SrcR.Bottom -= 1; // converted once: from here on Bottom is the last row blended
  if (P.X < 0) {
    SrcR.Left -= P.X;
    P.X = 0;
  }
  if (P.Y < 0) {
    SrcR.Top -= P.Y;
    P.Y = 0;
  }
  if (P.X >= Dst.Width() || P.Y >= Dst.Height()) return;
  if (SrcR.Left < 0 || SrcR.Top < 0 || SrcR.Left >= Src.Width() || SrcR.Top >= Src.Height()) return;
  SrcR.Right = std::min(SrcR.Right, Src.Width());
  SrcR.Bottom = std::min(SrcR.Bottom, Src.Height() - 1);
  int Cols = std::min(SrcR.Right - SrcR.Left, Dst.Width() - P.X);
  int Rows = std::min(SrcR.Bottom - SrcR.Top + 1, Dst.Height() - P.Y);
  for (int j = 0; j < Rows; ++j) {
    uint32_t* D = Dst.ScanLine(P.Y + j) + P.X;
    const uint32_t* S = Src.ScanLine(SrcR.Top + j) + SrcR.Left;
    for (int i = 0; i < Cols; ++i)
      D[i] = BlendPixel(D[i], S[i], W);
  }
}

void BlendSameSize(TBitmap32& Dst, const TBitmap32& Src, int W) {
  if (!Dst.SameSize(Src) || Dst.IsEmpty()) return;
  BlendRect(Dst, Src, W, {0, 0}, Src.BoundsRect());
}

void BlendKeyed(TBitmap32& Dst, int X, int Y, uint32_t Key, double K, TRect SrcR,
                const TBitmap32& Src) {
  // Converted once: from here on Right and Bottom are the last column and row blended.
  SrcR.Right -= 1;
  SrcR.Bottom -= 1;
  if (SrcR.Left < 0) {
    X -= SrcR.Left;
    SrcR.Left = 0;
  }
  if (SrcR.Top < 0) {
    Y -= SrcR.Top;
    SrcR.Top = 0;
  }
  SrcR.Right = std::min(SrcR.Right, Src.Width() - 1);
  SrcR.Bottom = std::min(SrcR.Bottom, Src.Height() - 1);
  auto Mix = [K](int S, int D) { return RoundByte(S - (S - D) * K); };
  for (int sy = SrcR.Top; sy <= SrcR.Bottom; ++sy) {
    int dy = Y + sy - SrcR.Top;
    if (dy < 0 || dy >= Dst.Height()) continue;
    const uint32_t* S = Src.ScanLine(sy);
    uint32_t* D = Dst.ScanLine(dy);
    for (int sx = SrcR.Left; sx <= SrcR.Right; ++sx) {
      int dx = X + sx - SrcR.Left;
      if (dx < 0 || dx >= Dst.Width() || S[sx] == Key) continue;
      uint32_t s = S[sx], d = D[dx];
      D[dx] =
          MakePixel(Mix(PixB(s), PixB(d)), Mix(PixG(s), PixG(d)), Mix(PixR(s), PixR(d)), PixA(d));
    }
  }
}

void BlendThree(TBitmap32& Dst, const TBitmap32& A, const TBitmap32& B, int W,
                const TBitmap32* WeightBmp) {
  if (!Dst.SameSize(A) || !Dst.SameSize(B) || Dst.IsEmpty()) return;
  if (WeightBmp && !Dst.SameSize(*WeightBmp)) return;
  if (!WeightBmp && W >= 0 && W <= 256) {
    // One weight for every channel: ((a - b) * w + b * 256) >> 8 is (a * w + b * (256 - w)) >> 8,
    // a sum of non-negative terms below 65536, so red and blue are blended together in one word
    // and green on its own, with the same results.
    const uint32_t Wa = uint32_t(W), Wb = 256 - uint32_t(W);
    for (int y = 0; y < Dst.Height(); ++y) {
      uint32_t* D = Dst.ScanLine(y);
      const uint32_t* Pa = A.ScanLine(y);
      const uint32_t* Pb = B.ScanLine(y);
      for (int x = 0; x < Dst.Width(); ++x) {
        const uint32_t a = Pa[x], b = Pb[x];
        const uint32_t RB = (((a & 0xFF00FFu) * Wa + (b & 0xFF00FFu) * Wb) >> 8) & 0xFF00FFu;
        const uint32_t G = (((a & 0xFF00u) * Wa + (b & 0xFF00u) * Wb) >> 8) & 0xFF00u;
        D[x] = (D[x] & 0xFF000000u) | RB | G;
      }
    }
    return;
  }
  uint32_t Flat = MakePixel(W, W, W, 0);
  for (int y = 0; y < Dst.Height(); ++y) {
    uint32_t* D = Dst.ScanLine(y);
    const uint32_t* Pa = A.ScanLine(y);
    const uint32_t* Pb = B.ScanLine(y);
    const uint32_t* Pw = WeightBmp ? WeightBmp->ScanLine(y) : nullptr;
    for (int x = 0; x < Dst.Width(); ++x)
      D[x] = WithAlpha(BlendPixelByMask(Pa[x], Pb[x], Pw ? Pw[x] : Flat), PixA(D[x]));
  }
}

// Stretching and tiling ----------------------------------------------------------------------

namespace {
// Source offset of destination pixel I when N source pixels stretch over M, as StretchBlt
// picks them in colour-on-colour mode: the longer side is walked with a 16.16 step of
// (shorter << 16) / longer (truncated), starting half a step in. When shrinking, several
// source pixels land on one destination pixel: the last of them is kept along a row
// (LastWins), the first along a column. Computed per pixel, so that only the visible part of a
// huge destination costs anything.
int StretchIndex(int64_t I, int64_t N, int64_t M, bool LastWins) {
  if (M >= N) {
    int64_t Step = (N << 16) / M;
    return int((Step / 2 + I * Step) >> 16);
  }
  int64_t Step = (M << 16) / N, Half = Step / 2;
  int64_t J;
  if (LastWins) {
    // The last j with Half + j * Step < (I + 1) << 16; a row shrunk to a single pixel takes
    // the one before the last, as StretchBlt does.
    J = M == 1 ? N - 2 : ((I + 1) * 65536 - Half - 1) / Step;
  } else {
    int64_t Num = I * 65536 - Half; // the first j with Half + j * Step >= I << 16
    J = Num <= 0 ? 0 : (Num + Step - 1) / Step;
  }
  return int(std::clamp<int64_t>(J, 0, N - 1));
}
} // namespace

void CopyPixels(TBitmap32& Dst, int X, int Y, const TBitmap32& Src, TRect SrcR) {
  TCopyBox B{X, Y, SrcR.Left, SrcR.Top, SrcR.Width(), SrcR.Height()};
  if (!ClipCopy(B, Dst, Src)) return;
  for (int j = 0; j < B.H; ++j)
    std::copy_n(Src.ScanLine(B.SY + j) + B.SX, B.W, Dst.ScanLine(B.DY + j) + B.DX);
}

void StretchCopy(TBitmap32& Dst, const TRect& DstR, const TBitmap32& Src, const TRect& SrcR) {
  int DW = DstR.Width(), DH = DstR.Height(), SW = SrcR.Width(), SH = SrcR.Height();
  if (DW <= 0 || DH <= 0 || SW <= 0 || SH <= 0) return;
  TRect Clip = ClippedToBitmap(DstR, Dst);
  if (Clip.IsEmpty()) return;
  std::vector<int> Cols(size_t(Clip.Width()));
  for (int x = Clip.Left; x < Clip.Right; ++x)
    Cols[size_t(x - Clip.Left)] = SrcR.Left + StretchIndex(x - DstR.Left, SW, DW, true);
  for (int y = Clip.Top; y < Clip.Bottom; ++y) {
    int sy = SrcR.Top + StretchIndex(y - DstR.Top, SH, DH, false);
    if (sy < 0 || sy >= Src.Height()) continue;
    const uint32_t* S = Src.ScanLine(sy);
    uint32_t* D = Dst.ScanLine(y) + Clip.Left;
    for (size_t i = 0; i < Cols.size(); ++i) {
      int sx = Cols[i];
      if (sx >= 0 && sx < Src.Width()) D[i] = S[sx];
    }
  }
}

void TileBitmap(TBitmap32& Dst, const TRect& R, const TBitmap32& Src) {
  if (Src.IsEmpty()) return;
  TRect Clip = ClippedToBitmap(R, Dst);
  if (Clip.IsEmpty()) return;
  int W = Src.Width(), H = Src.Height();
  for (int y = Clip.Top; y < Clip.Bottom; ++y) {
    const uint32_t* S = Src.ScanLine((y - R.Top) % H);
    uint32_t* D = Dst.ScanLine(y);
    int sx = (Clip.Left - R.Left) % W;
    for (int x = Clip.Left; x < Clip.Right; ++x) {
      D[x] = S[sx];
      if (++sx == W) sx = 0;
    }
  }
}

// Glyph painters -----------------------------------------------------------------------------

void DrawArrowPixels(TBitmap32& Bmp, TColor Color, const TRect& R, int Kind) {
  if (Kind != 4 && Kind != 8) return;
  uint32_t P = WithAlpha(PixelOf(Color), 255);
  auto Put = [&](int X, int Y) {
    if (X >= 0 && Y >= 0 && X < Bmp.Width() && Y < Bmp.Height()) Bmp.Pixel(X, Y) = P;
  };
  int W = R.Width(), H = R.Height();
  if (Kind == 4) {
    int C0 = R.Left + (W - 3) / 2, R0 = R.Top + (H - 6) / 2;
    for (int i = 0; i <= 3; ++i)
      for (int y = R0 + i; y <= R0 + 6 - i; ++y)
        Put(C0 + i, y);
  } else {
    int C0 = R.Left + (W - 6) / 2 - 1, R0 = R.Top + (H - 3) / 2 - 1;
    for (int i = 0; i <= 3; ++i)
      for (int x = C0 + i; x <= C0 + 7 - i; ++x)
        Put(x, R0 + i);
  }
}
