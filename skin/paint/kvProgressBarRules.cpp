// The geometry of the skinned progress bar.
#include "skin/paint/kvProgressBarRules.h"

#include <algorithm>

#include "skin/pixels/kvPixelMath.h"

namespace {

int Nint(double X) {
  return int(RoundHalfEven(X));
}

int ClampedPosition(const TProgressFacts& F) {
  return std::clamp(F.Position, std::min(F.Min, F.Max), std::max(F.Min, F.Max));
}

// The bar's length along its direction inside the border: the inner rectangle less 2B.
int InnerLength(const TProgressFacts& F) {
  TRect I = ProgressInnerRect(F);
  return (F.Vertical ? I.Height() : I.Width()) - 2 * F.BorderWidth;
}

struct TBlocks {
  int S = 0; // block length along the bar
  int N = 0; // block places
  int Gap = 0;
  int Count = 0;
};

TBlocks BlocksOf(const TProgressFacts& F) {
  TBlocks B;
  TSize Item = ProgressItemSize(F);
  B.S = F.Vertical ? Item.cy : Item.cx;
  // A block shorter than two pixels gives no places (and no division by zero below).
  if (B.S < 2) return B;
  int Li = InnerLength(F) - 2;
  if (Li <= 0) return B;
  B.N = Li / (B.S + 2);
  if (B.N < 2 || F.Min >= F.Max) return B;
  B.Gap = (Li - B.S * B.N) / (B.N - 1);
  int Pos = ClampedPosition(F);
  if (Pos <= F.Min) return B;
  B.Count = std::clamp(Nint(double(Pos - F.Min) * B.N / double(F.Max - F.Min)), 0, B.N);
  return B;
}

} // namespace

TRect ProgressInnerRect(const TProgressFacts& F) {
  return {1, 1, F.Width - 1, F.Height - 1};
}

TRect ProgressRectOf(const TProgressFacts& F) {
  TRect R = ProgressInnerRect(F);
  R.Inflate(-F.BorderWidth, -F.BorderWidth);
  if (F.Marquee) {
    if (F.Vertical) {
      R.Bottom = Nint(F.Height - F.MarqPos);
      R.Top = R.Bottom - F.MarqSize;
    } else {
      R.Left = Nint(R.Left + F.MarqPos);
      R.Right = R.Left + F.MarqSize;
    }
    return R;
  }
  if (F.Max == F.Min) return R;
  const int Pos = ClampedPosition(F);
  const int L = R.Left;
  const double Share = double(Pos - F.Min) / double(F.Max - F.Min);
  if (F.Vertical) {
    R.Top = Pos == F.Max ? L : R.Bottom - Nint((F.Height - 2 * L) * Share);
  } else {
    R.Right = Pos == F.Max ? F.Width - L : L + Nint((F.Width - 2 * L) * Share);
  }
  return R;
}

TSize ProgressItemSize(const TProgressFacts& F) {
  TRect I = ProgressInnerRect(F);
  const int Wi = I.Width() - 2 * F.BorderWidth, Hi = I.Height() - 2 * F.BorderWidth;
  if (F.Marquee) return F.Vertical ? TSize{Wi, 9} : TSize{9, Hi};
  if (F.Smooth) {
    TRect P = ProgressRectOf(F);
    return F.Vertical ? TSize{Wi, P.Bottom} : TSize{P.Right, Hi};
  }
  return F.Vertical ? TSize{Wi, Nint(Wi * 0.66) - 2} : TSize{Nint(Hi * 0.66) - 2, Hi};
}

int ProgressBlockCount(const TProgressFacts& F) {
  return BlocksOf(F).Count;
}

std::vector<TRect> ProgressPieces(const TProgressFacts& F) {
  std::vector<TRect> Pieces;
  if (F.Min >= F.Max) return Pieces;
  const TRect P = ProgressRectOf(F);
  if (P.IsEmpty()) return Pieces;
  const TSize Item = ProgressItemSize(F);
  if (Item.cx <= 1 || Item.cy <= 1) return Pieces;
  if (F.Marquee) {
    for (int i = 0; i < 5; ++i) {
      if (F.Vertical) {
        int Y = P.Bottom - i * (Item.cy + 1) - Item.cy;
        if (Y < 0) Y += F.Height;
        Pieces.push_back(Bounds(P.Left, Y, Item.cx, Item.cy));
      } else {
        int X = P.Left + i * (Item.cx + 1);
        if (X >= F.Width) X -= F.Width;
        Pieces.push_back(Bounds(X, P.Top, Item.cx, Item.cy));
      }
    }
    return Pieces;
  }
  if (F.Smooth) {
    Pieces.push_back(P);
    return Pieces;
  }
  const TBlocks B = BlocksOf(F);
  if (B.N <= 1) return Pieces;
  const int Step = B.S + B.Gap;
  for (int i = 0; i < B.Count; ++i) {
    if (F.Vertical)
      Pieces.push_back(Bounds(P.Left, P.Bottom - i * Step - B.S, Item.cx, B.S));
    else
      Pieces.push_back(Bounds(P.Left + i * Step, P.Top, B.S, Item.cy));
  }
  // A full bar closes with a partial block when enough room is left after the last one; it
  // keeps the gap to that block and ends at the inner edge.
  const int Li = InnerLength(F) - 2;
  const int Left = Li - (B.Count - 1) * Step - B.S;
  if (B.Count > 0 && ClampedPosition(F) == F.Max && Left > 3) {
    const int Piece = InnerLength(F) - B.Count * Step;
    if (Piece > 0) {
      if (F.Vertical)
        Pieces.push_back(Bounds(P.Left, P.Bottom - InnerLength(F), Item.cx, Piece));
      else
        Pieces.push_back(Bounds(P.Left + B.Count * Step, P.Top, Piece, Item.cy));
    }
  }
  return Pieces;
}

void AdvanceMarquee(double& Pos, int& Orient, int Width, int MarqSize, int BorderWidth, int Step,
                    int Interval, bool Bounce) {
  Pos += 18.0 / (Interval + 27) * Orient * Step;
  if (Bounce) {
    if (Pos >= Width - MarqSize - BorderWidth - Step || Pos <= BorderWidth) Orient = -Orient;
  } else if (Pos >= Width - Step) {
    Pos = 0;
  }
}
