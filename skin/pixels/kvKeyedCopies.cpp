// Copies of skin image pieces: key-colour, masked and alpha copies.
#include "skin/pixels/kvKeyedCopies.h"

#include <algorithm>

#include "skin/pixels/kvResample.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// The smaller of the two rectangles, copied from SrcR's top-left to DstR's top-left.
TCopyBox BoxOf(const TRect& DstR, const TRect& SrcR) {
  return {DstR.Left,
          DstR.Top,
          SrcR.Left,
          SrcR.Top,
          std::min(DstR.Width(), SrcR.Width()),
          std::min(DstR.Height(), SrcR.Height())};
}

// A source rectangle copied whole to (X, Y).
TCopyBox BoxAt(int X, int Y, const TRect& SrcR) {
  return {X, Y, SrcR.Left, SrcR.Top, SrcR.Width(), SrcR.Height()};
}

enum class TParentPixel { Found, Skip, StopRow };

// The parent's pixel behind destination pixel (X, Y).
TParentPixel ParentPixel(const TCacheInfo& CI, int X, int Y, uint32_t& Out) {
  const TBitmap32& P = *CI.Bmp;
  int PX = X + CI.X, PY = Y + CI.Y;
  if (PY >= P.Height() || PX < 0) return TParentPixel::Skip;
  if (PX >= P.Width() || PY < 0) return TParentPixel::StopRow;
  Out = P.Pixel(PX, PY);
  return TParentPixel::Found;
}

bool HasParent(bool UseParent, const TCacheInfo& CI) {
  return UseParent && CI.Ready && CI.Bmp && !CI.Bmp->IsEmpty();
}

uint32_t FillPixelOf(const TCacheInfo& CI) {
  return ColorToPixel(ColorToRGB(CI.FillColor));
}

// The alpha compositing of one pixel: ((s - d)*a + d*256) >> 8 per channel, and the
// destination's alpha grows by a*(255 - alpha)/255.
uint32_t Composite(uint32_t D, uint32_t S, int A) {
  uint32_t P = BlendPixel(S, D, A);
  int DA = PixA(D);
  if (A > 0) DA += A * (255 - DA) / 255;
  return WithAlpha(P, DA);
}

} // namespace

void CopyKeyed(TBitmap32& Dst, const TBitmap32& Src, int X, bool UseParent, const TCacheInfo& CI,
               uint32_t Key, TRect SrcR, int Y) {
  TCopyBox B = BoxAt(X, Y, SrcR);
  if (!ClipCopy(B, Dst, Src)) return;
  bool Parent = HasParent(UseParent, CI);
  bool IntoParent = Parent && CI.Bmp == &Dst;
  // Without a ready background a key pixel becomes the plain fill colour; the alpha byte is 0.
  uint32_t Fill = FillPixelOf(CI) & 0x00FFFFFFu;
  for (int j = 0; j < B.H; ++j) {
    int DY = B.DY + j;
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(DY);
    for (int i = 0; i < B.W; ++i) {
      int DX = B.DX + i;
      uint32_t s = S[i];
      if (s != Key) {
        D[DX] = IntoParent ? WithAlpha(s, 255) : s;
      } else if (IntoParent || (!Parent && CI.Ready)) {
        continue;
      } else if (Parent) {
        uint32_t P;
        TParentPixel R = ParentPixel(CI, DX, DY, P);
        if (R == TParentPixel::StopRow) break;
        if (R == TParentPixel::Found) D[DX] = P;
      } else {
        D[DX] = Fill;
      }
    }
  }
}

void DrawBitmapKeyed(TBitmap32& Dst, const TBitmap32& Src, int X, TColor Key, int Y) {
  TCopyBox B{X, Y, 0, 0, Src.Width(), Src.Height()};
  if (!ClipCopy(B, Dst, Src)) return;
  uint32_t K = ColorToPixel(ColorToRGB(Key));
  for (int j = 0; j < B.H; ++j) {
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(B.DY + j) + B.DX;
    for (int i = 0; i < B.W; ++i)
      if (S[i] != K) D[i] = WithAlpha(S[i], 255);
  }
}

void CopyKeyedPlain(TBitmap32& Dst, const TBitmap32& Src, int X, uint32_t Key, TRect SrcR, int Y) {
  TCopyBox B = BoxAt(X, Y, SrcR);
  if (!ClipCopy(B, Dst, Src)) return;
  for (int j = 0; j < B.H; ++j) {
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(B.DY + j) + B.DX;
    for (int i = 0; i < B.W; ++i)
      if (S[i] != Key) D[i] = S[i];
  }
}

void CopyMasked(TRect DstR, TRect SrcR, TBitmap32& Dst, const TRect& MaskR, bool UseParent,
                const TCacheInfo& CI, const TBitmap32& Src) {
  TCopyBox B = BoxOf(DstR, SrcR);
  if (!ClipCopy(B, Dst, Src)) return;
  int MaskY = std::min(B.SY + MaskR.Height() / 2, Src.Height() - B.H);
  if (MaskY < 0) return;
  bool Parent = HasParent(UseParent, CI);
  bool Ready = CI.Ready;
  uint32_t Fill = FillPixelOf(CI);
  for (int j = 0; j < B.H; ++j) {
    int DY = B.DY + j;
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    const uint32_t* M = Src.ScanLine(MaskY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(DY);
    for (int i = 0; i < B.W; ++i) {
      int DX = B.DX + i;
      uint32_t s = S[i];
      bool IsKey = s == KeyPixel;
      if (Parent) {
        if (IsKey) {
          uint32_t P;
          TParentPixel R = ParentPixel(CI, DX, DY, P);
          if (R == TParentPixel::StopRow) break;
          if (R == TParentPixel::Found) D[DX] = WithAlpha(P, 255);
        } else {
          D[DX] = WithAlpha(BlendPixelByMask(D[DX], s, M[i]), 255);
        }
      } else if (Ready) {
        D[DX] = WithAlpha(BlendPixelByMask(D[DX], s, M[i]), 255);
      } else if (IsKey) {
        if (UseParent) D[DX] = Fill;
      } else {
        D[DX] = BlendPixelByMask(D[DX], s, M[i]);
      }
    }
  }
}

namespace {
// A copy of a piece of Src, at least 2 x 2 pixels: a narrower or lower piece repeats its last
// column or row, so that the resampler can take it.
TBitmap32 PaddedPiece(const TBitmap32& Src, int X, int Y, int W, int H) {
  TBitmap32 Piece(std::max(W, 2), std::max(H, 2));
  for (int y = 0; y < Piece.Height(); ++y) {
    const uint32_t* S = Src.ScanLine(Y + std::min(y, H - 1)) + X;
    uint32_t* D = Piece.ScanLine(y);
    for (int x = 0; x < Piece.Width(); ++x)
      D[x] = S[std::min(x, W - 1)];
  }
  return Piece;
}
} // namespace

void StretchMasked(int XDest, int YDest, int WDest, bool IsCentre, int MaskRows,
                   const TBitmap32& Src, TBitmap32& Dst, int SrcH, int SrcW, int SrcY, int SrcX,
                   int HDest, TResampleFilter MaskFilter) {
  if (XDest < 0 || YDest < 0 || WDest <= 0 || HDest <= 0) return;
  if (Dst.Width() <= 1 || Dst.Height() <= 1) return;
  TRect DstR = Bounds(XDest, YDest, WDest, HDest);
  if (MaskRows == 0) {
    StretchCopy(Dst, DstR, Src, Bounds(SrcX, SrcY, SrcW, SrcH));
    return;
  }
  if (SrcX < 0 || SrcY < 0 || SrcW <= 0 || SrcH <= 0 || MaskRows < 0) return;
  if (SrcX + SrcW > Src.Width() || SrcY + MaskRows + SrcH > Src.Height()) return;

  if (IsCentre && SrcW == 1 && SrcH == 1) {
    uint32_t Pix = Src.Pixel(SrcX, SrcY);
    int E = PixR(Src.Pixel(SrcX, SrcY + MaskRows));
    if (E == 255) return;
    if (E == 0) {
      FillPixels32(Dst, DstR, PixelToColor(Pix & 0x00FFFFFFu), 255);
      return;
    }
    TRect C = ClippedToBitmap(DstR, Dst);
    for (int y = C.Top; y < C.Bottom; ++y) {
      uint32_t* D = Dst.ScanLine(y);
      for (int x = C.Left; x < C.Right; ++x)
        D[x] = BlendPixel(D[x], Pix, E);
    }
    return;
  }

  TBitmap32 Img(WDest, HDest), Msk(WDest, HDest);
  bool Filtered = WDest > 1 && HDest > 1 &&
                  ((WDest < SrcW && HDest == SrcH) || (HDest < SrcH && WDest == SrcW) || IsCentre);
  if (Filtered) {
    ResampleBitmap(PaddedPiece(Src, SrcX, SrcY, SrcW, SrcH), Img, WDest, rfMitchell, HDest);
    ResampleBitmap(PaddedPiece(Src, SrcX, SrcY + MaskRows, SrcW, SrcH), Msk, WDest, MaskFilter,
                   HDest);
  } else {
    StretchCopy(Img, Img.BoundsRect(), Src, Bounds(SrcX, SrcY, SrcW, SrcH));
    StretchCopy(Msk, Msk.BoundsRect(), Src, Bounds(SrcX, SrcY + MaskRows, SrcW, SrcH));
  }
  // Rows and columns are both kept inside Dst.
  int W = std::min(WDest, Dst.Width() - XDest), H = std::min(HDest, Dst.Height() - YDest);
  for (int y = 0; y < H; ++y) {
    uint32_t* D = Dst.ScanLine(YDest + y) + XDest;
    const uint32_t* I = Img.ScanLine(y);
    const uint32_t* M = Msk.ScanLine(y);
    for (int x = 0; x < W; ++x)
      D[x] = WithAlpha(BlendPixelByMask(D[x], I[x], M[x]), 255);
  }
}

void CopyMaskedImage(TRect DstR, TRect SrcR, TBitmap32& Dst, const TRect& MaskR, int MaskType,
                     int Mode, const TBitmap32& Src) {
  TCopyBox B = BoxOf(DstR, SrcR);
  if (MaskType <= 0) {
    if (B.W <= 0 || B.H <= 0) return;
    CopyKeyedPlain(Dst, Src, B.DX, KeyPixel, Bounds(B.SX, B.SY, B.W, B.H), B.DY);
    return;
  }
  if (!ClipCopy(B, Dst, Src)) return;
  int Offset = MaskR.Height() / (MaskType + 1);
  B.H = std::min(B.H, Src.Height() - Offset - B.SY);
  for (int j = 0; j < B.H; ++j) {
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    const uint32_t* M = Src.ScanLine(B.SY + Offset + j) + B.SX;
    uint32_t* D = Dst.ScanLine(B.DY + j) + B.DX;
    for (int i = 0; i < B.W; ++i) {
      uint32_t s = S[i], m = M[i];
      if (s == KeyPixel || PixR(m) == 255) continue;
      if (Mode != 1) {
        // A fainter image: every mask byte raised by 100.
        auto Faint = [](int V) { return std::min(V + 100, 255); };
        m = MakePixel(Faint(PixB(m)), Faint(PixG(m)), Faint(PixR(m)), 0);
      }
      int A = PixA(D[i]);
      A += (255 - A) * (255 - PixR(M[i])) >> 8;
      D[i] = WithAlpha(BlendPixelByMask(D[i], s, m), A);
    }
  }
}

namespace {
// The common walk of both alpha copies. Blend scales the source alpha; Key (or NoKey) marks
// background pixels; MaxAlpha makes the destination alpha max(old, source) instead of growing.
void AlphaCopy(const TCopyBox& B, TBitmap32& Dst, const TBitmap32& Src, bool UseParent,
               const TCacheInfo& CI, uint32_t Key, int Blend, bool MaxAlpha) {
  bool Parent = HasParent(UseParent, CI);
  bool HasKey = Key != NoKey;
  for (int j = 0; j < B.H; ++j) {
    int DY = B.DY + j;
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(DY);
    for (int i = 0; i < B.W; ++i) {
      int DX = B.DX + i;
      uint32_t s = S[i];
      if (HasKey && s == Key) {
        if (!Parent) continue;
        uint32_t P;
        TParentPixel R = ParentPixel(CI, DX, DY, P);
        if (R == TParentPixel::StopRow) break;
        if (R == TParentPixel::Found) D[DX] = WithAlpha(P, 255);
        continue;
      }
      int A = PixA(s);
      if (Blend) A = (100 - Blend) * A / 100;
      if (MaxAlpha)
        D[DX] = WithAlpha(BlendPixel(s, D[DX], A), std::max(A, PixA(D[DX])));
      else
        D[DX] = Composite(D[DX], s, A);
    }
  }
}
} // namespace

void CopyAlpha32(TRect DstR, TRect SrcR, TBitmap32& Dst, bool UseParent, const TCacheInfo& CI,
                 const TBitmap32& Src) {
  TCopyBox B = BoxOf(DstR, SrcR);
  if (!ClipCopy(B, Dst, Src)) return;
  // Without a ready background every pixel is composited, the key colour included.
  AlphaCopy(B, Dst, Src, UseParent, CI, CI.Ready ? KeyPixel : NoKey, 0, false);
}

void CopyAlpha32Ex(TRect DstR, TRect SrcR, TBitmap32& Dst, bool Reflect, int Blend, uint32_t Key,
                   bool UseParent, const TCacheInfo& CI, const TBitmap32& Src) {
  Blend = std::clamp(Blend, 0, 100);
  TCopyBox Full = BoxOf(DstR, SrcR);
  TCopyBox B = Full;
  if (ClipCopy(B, Dst, Src)) AlphaCopy(B, Dst, Src, UseParent, CI, Key, Blend, true);
  if (!Reflect || Full.W <= 0 || Full.H <= 0) return;

  // The reflection: source rows from the bottom of the piece upward, drawn below DstR, their
  // alpha fading linearly to 0 and scaled by 255/1024.
  int Rows = std::min(Full.H / 2, Dst.Height() - (Full.DY + Full.H));
  for (int j = 0; j < Rows; ++j) {
    int DY = Full.DY + Full.H + j;
    int SY = Full.SY + Full.H - 1 - j;
    if (DY < 0 || SY < 0 || SY >= Src.Height()) continue;
    const uint32_t* S = Src.ScanLine(SY);
    uint32_t* D = Dst.ScanLine(DY);
    int Fade = Rows - j; // Rows at the top row, 1 at the last
    for (int i = 0; i < Full.W; ++i) {
      int DX = Full.DX + i, SX = Full.SX + i;
      if (DX < 0 || DX >= Dst.Width() || SX < 0 || SX >= Src.Width()) continue;
      uint32_t s = S[SX];
      if (Key != NoKey && s == Key) continue;
      int A = int(int64_t(PixA(s)) * Fade * 255 / (int64_t(Rows) * 1024));
      A = (100 - Blend) * A / 100;
      D[DX] = WithAlpha(BlendPixel(s, D[DX], A), std::max(A, PixA(D[DX])));
    }
  }
}

void RestoreKeyedCorner(TBitmap32& Dst, const TBitmap32& Src, TRect R, int Corner,
                        const TCornerMask* Mask, TPoint SrcP) {
  TCopyBox B{R.Left, R.Top, SrcP.X, SrcP.Y, R.Width(), R.Height()};
  if (!ClipCopy(B, Dst, Src)) return;
  TPoint Ref{};
  if (Mask) {
    if (!Mask->Bmp) return;
    Ref = Mask->Origin;
    if (Corner == HTTOPRIGHT_CORNER || Corner == HTBOTTOMRIGHT_CORNER)
      Ref.X += Mask->FrameWidth - Mask->WR;
    if (Corner == HTBOTTOMLEFT_CORNER || Corner == HTBOTTOMRIGHT_CORNER)
      Ref.Y += Mask->FrameHeight - Mask->WB;
  }
  for (int j = 0; j < B.H; ++j) {
    const uint32_t* S = Src.ScanLine(B.SY + j) + B.SX;
    uint32_t* D = Dst.ScanLine(B.DY + j) + B.DX;
    for (int i = 0; i < B.W; ++i) {
      uint32_t RefPixel;
      if (!Mask) {
        RefPixel = D[i];
      } else {
        // The same offset inside the corner as inside R.
        int MX = Ref.X + B.DX + i - R.Left, MY = Ref.Y + B.DY + j - R.Top;
        if (MX < 0 || MY < 0 || MX >= Mask->Bmp->Width() || MY >= Mask->Bmp->Height()) continue;
        RefPixel = Mask->Bmp->Pixel(MX, MY);
      }
      if ((RefPixel & 0x00FFFFFFu) == 0x00FF00FFu) D[i] = S[i];
    }
  }
}
