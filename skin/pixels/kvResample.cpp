// Filtered two-pass resizing of 32-bit bitmaps in 16.16 fixed point.
#include "skin/pixels/kvResample.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "skin/pixels/kvPixelMath.h"

double FilterRadius(TResampleFilter Filter) {
  switch (Filter) {
  case rfBox: return 0.51;
  case rfTriangle:
  case rfHermite: return 1.0;
  case rfBell: return 1.5;
  case rfSpline:
  case rfMitchell: return 2.0;
  case rfLanczos3: return 3.0;
  }
  return 1.0;
}

namespace {
double Sinc(double X) {
  if (X == 0.0) return 1.0;
  X *= std::numbers::pi;
  return std::sin(X) / X;
}
} // namespace

double FilterValue(TResampleFilter Filter, double X) {
  // The box decides its tie by sign, so that a centre exactly between two pixels takes one.
  if (Filter == rfBox) return X > -0.5 && X <= 0.5 ? 1.0 : 0.0;
  X = std::fabs(X);
  if (X >= FilterRadius(Filter)) return 0.0;
  switch (Filter) {
  case rfBox: break;
  case rfTriangle: return 1.0 - X;
  case rfHermite: return (2.0 * X - 3.0) * X * X + 1.0;
  case rfBell: return X < 0.5 ? 0.75 - X * X : (X - 1.5) * (X - 1.5) / 2.0;
  case rfSpline:
    if (X < 1.0) return X * X * X / 2.0 - X * X + 2.0 / 3.0;
    return (2.0 - X) * (2.0 - X) * (2.0 - X) / 6.0;
  case rfLanczos3: return Sinc(X) * Sinc(X / 3.0);
  case rfMitchell:
    if (X < 1.0) return (7.0 / 6.0) * X * X * X - 2.0 * X * X + 8.0 / 9.0;
    return -(7.0 / 18.0) * X * X * X + 2.0 * X * X - (10.0 / 3.0) * X + 16.0 / 9.0;
  }
  return 0.0;
}

namespace {

struct TContributor {
  int Index;  // source pixel (column or row)
  int Weight; // 16.16 fixed point
};

// The contributor lists of one pass from N source pixels to M: list I is
// List[Start[I]] .. List[Start[I + 1] - 1].
struct TWeights {
  std::vector<int> Start;
  std::vector<TContributor> List;
};

// Scales one destination pixel's weights to sum exactly 1.0 (65536). Sampled filters do not
// sum to 1 by themselves: a box shrinking 9 pixels to 2 would take 5 contributors of 2/9 and
// brighten a flat area by 11 %. With the sum exact, flat areas keep their value exactly.
void Normalise(TContributor* First, TContributor* Last) {
  int64_t Sum = 0;
  for (TContributor* C = First; C != Last; ++C)
    Sum += C->Weight;
  if (Sum <= 0 || Sum == 65536) return;
  int64_t Total = 0;
  TContributor* Largest = First;
  for (TContributor* C = First; C != Last; ++C) {
    C->Weight = int(RoundHalfEven(double(C->Weight) * 65536.0 / double(Sum)));
    Total += C->Weight;
    if (C->Weight > Largest->Weight) Largest = C;
  }
  Largest->Weight += int(65536 - Total);
}

TWeights BuildWeights(int N, int M, TResampleFilter Filter) {
  TWeights W;
  W.Start.reserve(size_t(M) + 1);
  double Scale = M < N ? double(M) / N : 1.0;
  double Radius = FilterRadius(Filter);
  double Support = Radius / Scale;
  for (int i = 0; i < M; ++i) {
    W.Start.push_back(int(W.List.size()));
    float Centre = float(double(N) * i / M);
    int Lo = int(std::floor(Centre - Support)), Hi = int(std::ceil(Centre + Support));
    for (int j = Lo; j <= Hi; ++j) {
      double Signed = (double(Centre) - j) * Scale;
      if (std::fabs(Signed) >= Radius) continue;
      int Weight = int(RoundHalfEven(FilterValue(Filter, Signed) * Scale * 65536.0));
      if (Weight == 0) continue;
      // Mirror at the edges; a support wider than the image is still kept inside it.
      int K = j < 0 ? -j : j >= N ? 2 * N - 1 - j : j;
      K = K < 0 ? 0 : K >= N ? N - 1 : K;
      W.List.push_back({K, Weight});
    }
    Normalise(W.List.data() + W.Start.back(), W.List.data() + W.List.size());
  }
  W.Start.push_back(int(W.List.size()));
  return W;
}

inline uint8_t FixedToByte(int32_t Sum) {
  if (Sum < 0) return 0;
  if (Sum >= 0xFF0001) return 255;
  return uint8_t(Sum >> 16);
}

// Horizontal pass: each row of Src into the same row of Dst (Dst.Width() columns).
void PassHorizontal(const TBitmap32& Src, TBitmap32& Dst, const TWeights& W) {
  int DW = Dst.Width();
  for (int y = 0; y < Src.Height(); ++y) {
    const uint8_t* S = reinterpret_cast<const uint8_t*>(Src.ScanLine(y));
    uint8_t* D = reinterpret_cast<uint8_t*>(Dst.ScanLine(y));
    for (int x = 0; x < DW; ++x) {
      int32_t B = 0, G = 0, R = 0, A = 0;
      const TContributor* C = W.List.data() + W.Start[size_t(x)];
      const TContributor* End = W.List.data() + W.Start[size_t(x) + 1];
      for (; C != End; ++C) {
        const uint8_t* P = S + size_t(C->Index) * 4;
        B += C->Weight * P[0];
        G += C->Weight * P[1];
        R += C->Weight * P[2];
        A += C->Weight * P[3];
      }
      D[0] = FixedToByte(B);
      D[1] = FixedToByte(G);
      D[2] = FixedToByte(R);
      D[3] = FixedToByte(A);
      D += 4;
    }
  }
}

// Vertical pass: each row of Dst from the contributing rows of Src, a whole row at a time.
void PassVertical(const TBitmap32& Src, TBitmap32& Dst, const TWeights& W) {
  size_t N = size_t(Src.Width()) * 4;
  std::vector<int32_t> Sum(N);
  for (int y = 0; y < Dst.Height(); ++y) {
    std::fill(Sum.begin(), Sum.end(), 0);
    for (int c = W.Start[size_t(y)]; c < W.Start[size_t(y) + 1]; ++c) {
      const TContributor& C = W.List[size_t(c)];
      const uint8_t* S = reinterpret_cast<const uint8_t*>(Src.ScanLine(C.Index));
      int32_t Weight = C.Weight;
      int32_t* Acc = Sum.data();
      for (size_t i = 0; i < N; ++i)
        Acc[i] += Weight * S[i];
    }
    uint8_t* D = reinterpret_cast<uint8_t*>(Dst.ScanLine(y));
    for (size_t i = 0; i < N; ++i)
      D[i] = FixedToByte(Sum[i]);
  }
}

} // namespace

void ResampleBitmap(const TBitmap32& Src, TBitmap32& Dst, int NewWidth, TResampleFilter Filter,
                    int NewHeight) {
  if (Src.Width() <= 1 || Src.Height() <= 1) throw std::runtime_error("Source bitmap is too small");
  if (NewWidth <= 0 || NewHeight <= 0) return;
  if (NewWidth == Src.Width() && NewHeight == Src.Height()) {
    if (&Src != &Dst) Dst = Src;
    return;
  }
  TBitmap32 Tmp(NewWidth, Src.Height());
  PassHorizontal(Src, Tmp, BuildWeights(Src.Width(), NewWidth, Filter));
  TWeights Vertical = BuildWeights(Src.Height(), NewHeight, Filter);
  Dst.SetSize(NewWidth, NewHeight); // Src is no longer read: Dst may be Src itself
  PassVertical(Tmp, Dst, Vertical);
}
