// The decisions of the skinned push button.
#include "skin/paint/sButtonRules.h"

#include <algorithm>

int ButtonStateOf(const TButtonStateFacts& F) {
  if (((F.Pushed || F.PressedFlash) && (F.MouseAbove || !F.MouseHeld)) || F.Down || F.DroppedDown)
    return bstPressed;
  if (!F.Designing && F.Active) return bstHot;
  if (F.Default) return bstDefault;
  return bstNormal;
}

int ButtonSectionState(int State, int SectionStates) {
  if (State == bstDefault && SectionStates < 4) State = bstHot;
  return std::max(0, std::min(State, SectionStates - 1));
}

namespace {

// The image column of the command link and of the styles that measure beside it.
int ImageColumn(const TButtonLayout& L) {
  return L.HasImage ? L.ImageWidth + L.ImageMargins.Left + L.ImageMargins.Right : 32;
}

int WidthWithoutArrow(const TButtonLayout& L) {
  return L.Style == bsSplitButton ? L.Width - 16 : L.Width;
}

} // namespace

int CaptionMeasureWidth(const TButtonLayout& L) {
  if (L.Style == bsPushButton) return std::max(L.Width, 0);
  return std::max(0, L.Width - 2 * L.ContentMargin - ImageColumn(L) - 6);
}

TRect ButtonCaptionRect(const TButtonLayout& L) {
  const int W = WidthWithoutArrow(L), H = L.Height, M = L.ContentMargin;
  const int tw = L.TextWidth, th = L.TextHeight;
  const TImageMargins& IM = L.ImageMargins;
  TRect R;
  if (L.Style == bsCommandLink) {
    R.Left = ImageColumn(L) + M + 6;
    R.Right = W - M;
    R.Top = M;
    R.Bottom = M + th;
  } else if (!L.HasImage || L.ImageAlignment == iaCenter) {
    R.Left = (W - tw) / 2 - 1;
    R.Right = R.Left + tw + 2;
    R.Top = (H - th) / 2;
    R.Bottom = H - R.Top;
  } else {
    switch (L.ImageAlignment) {
    case iaLeft:
      R.Left = IM.Left + M + L.ImageWidth + IM.Right;
      R.Right = W - M;
      R.Top = (H - th) / 2;
      R.Bottom = H - R.Top;
      break;
    case iaRight:
      R.Left = M;
      R.Right = W - (IM.Right + M + L.ImageWidth + IM.Left);
      R.Top = (H - th) / 2;
      R.Bottom = H - R.Top;
      break;
    case iaTop: {
      int T0 = IM.Top + 2 * M + L.ImageHeight;
      R.Left = M;
      R.Right = W - M;
      R.Top = T0 + (H - M - T0 - th) / 2;
      R.Bottom = R.Top + th;
      break;
    }
    case iaBottom: {
      int B0 = H - (IM.Bottom + M + L.ImageHeight + IM.Top);
      R.Left = M;
      R.Right = W - M;
      R.Top = IM.Top + (B0 - IM.Top - th) / 2;
      R.Bottom = R.Top + th;
      break;
    }
    default: break;
    }
  }
  if (L.Pressed) R.Offset(1, 1);
  return R;
}

TRect ButtonGlyphRect(const TButtonLayout& L) {
  if (!L.HasImage) return {};
  const int W = WidthWithoutArrow(L), H = L.Height, M = L.ContentMargin;
  const int IW = L.ImageWidth, IH = L.ImageHeight;
  const TImageMargins& IM = L.ImageMargins;
  int X = 0, Y = 0;
  if (L.Style == bsCommandLink) {
    X = IM.Left + M;
    Y = M;
  } else {
    switch (L.ImageAlignment) {
    case iaLeft:
      X = IM.Left + M;
      Y = (H - IH) / 2;
      break;
    case iaRight:
      X = W - IM.Right - M - IW;
      Y = (H - IH) / 2;
      break;
    case iaTop:
      X = (W - IW) / 2;
      Y = IM.Top + M;
      break;
    case iaBottom:
      X = (W - IW) / 2;
      Y = H - IM.Bottom - M - IH;
      break;
    case iaCenter:
      X = (W - IW) / 2;
      Y = (H - IH) / 2;
      break;
    }
  }
  TRect R = Bounds(X, Y, IW, IH);
  if (L.Pressed) R.Offset(1, 1);
  return R;
}

int ButtonGlyphIndex(const TButtonImageIndexes& I, int Count, bool Enabled, int State,
                     bool Focused) {
  int Wanted = !Enabled              ? I.DisabledImageIndex
               : State == bstPressed ? I.PressedImageIndex
               : Focused             ? I.SelectedImageIndex
               : State == bstHot     ? I.HotImageIndex
                                     : I.ImageIndex;
  return Wanted >= 0 && Wanted < Count ? Wanted : I.ImageIndex;
}

void DrawFocusDots(TBitmap32& Bmp, TRect R, TColor Ink, TColor Face) {
  if (R.IsEmpty()) return;
  const uint32_t InkPixel = ColorToPixel(Ink) | 0xFF000000u;
  const uint32_t FacePixel = ColorToPixel(Face) | 0xFF000000u;
  auto Put = [&](int X, int Y, uint32_t P) {
    if (X >= 0 && Y >= 0 && X < Bmp.Width() && Y < Bmp.Height()) Bmp.Pixel(X, Y) = P;
  };
  // Each dot and the pixel before it, along one edge; the pixel before a corner dot lies
  // outside the rectangle and is left alone.
  auto Edge = [&](int From, int To, auto&& At) {
    for (int p = From; p < To; p += 3) {
      if (p > From) At(p - 1, FacePixel);
      At(p, InkPixel);
    }
  };
  Edge(R.Left, R.Right, [&](int X, uint32_t P) { Put(X, R.Top, P); });
  Edge(R.Left, R.Right, [&](int X, uint32_t P) { Put(X, R.Bottom - 1, P); });
  Edge(R.Top, R.Bottom, [&](int Y, uint32_t P) { Put(R.Left, Y, P); });
  Edge(R.Top, R.Bottom, [&](int Y, uint32_t P) { Put(R.Right - 1, Y, P); });
}
