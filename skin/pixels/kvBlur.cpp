// Gaussian blur of 8-bit gray bitmaps.
#include "skin/pixels/kvBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

const TBlurKernel& BlurKernel(double Radius) {
  thread_local TBlurKernel K;
  if (K.Radius == Radius && K.HalfWidth > 0) return K;
  float Full[201];
  float Sum = 0;
  for (int i = 0; i < 201; ++i) {
    float D = float((i - 100) / Radius);
    Full[i] = std::exp(-D * D / 2);
    Sum += Full[i];
  }
  for (float& T : Full)
    T /= Sum;
  // Cut the tails while what is cut stays below half a step of a byte.
  int J = 100;
  float Cut = 0;
  while (J > 1 && Cut + 2 * Full[100 + J] < 1.0f / 510) {
    Cut += 2 * Full[100 + J];
    --J;
  }
  float Central = 0;
  for (int i = 100 - J; i <= 100 + J; ++i)
    Central += Full[i];
  K.Radius = Radius;
  K.HalfWidth = J;
  for (int i = 0; i <= 2 * J; ++i)
    K.Taps[i] = Full[100 - J + i] / Central;
  return K;
}

namespace {
// Sums are truncated; the small bias keeps a flat area flat despite float rounding
// (255 * taps summing to 0.9999999 would otherwise give 254).
constexpr float kBias = 1.0f / 1024;

inline uint8_t ToByte(float V) {
  V += kBias;
  return V <= 0 ? 0 : V >= 255 ? 255 : uint8_t(V);
}
} // namespace

void BlurGray8(TBitmap8& Bmp, double Radius) {
  if (!(Radius > 0) || Bmp.IsEmpty()) return;
  const TBlurKernel& K = BlurKernel(Radius);
  int J = K.HalfWidth, W = Bmp.Width(), H = Bmp.Height();
  const float* T = K.Taps;

  // Rows: each row padded with its edge pixels.
  std::vector<float> Padded(size_t(W) + 2 * size_t(J));
  for (int y = 0; y < H; ++y) {
    uint8_t* Row = Bmp.ScanLine(y);
    for (int x = -J; x < W + J; ++x)
      Padded[size_t(x + J)] = Row[std::clamp(x, 0, W - 1)];
    for (int x = 0; x < W; ++x) {
      const float* P = Padded.data() + x;
      float S = 0;
      for (int t = 0; t <= 2 * J; ++t)
        S += T[t] * P[t];
      Row[x] = ToByte(S);
    }
  }

  // Columns: a whole output row at a time from the rows around it.
  std::vector<uint8_t> Copy(size_t(W) * H);
  for (int y = 0; y < H; ++y)
    std::copy(Bmp.ScanLine(y), Bmp.ScanLine(y) + W, Copy.begin() + ptrdiff_t(y) * W);
  std::vector<float> Acc(static_cast<size_t>(W));
  for (int y = 0; y < H; ++y) {
    std::fill(Acc.begin(), Acc.end(), 0.0f);
    for (int t = 0; t <= 2 * J; ++t) {
      const uint8_t* Src = Copy.data() + ptrdiff_t(std::clamp(y + t - J, 0, H - 1)) * W;
      float Tap = T[t];
      for (int x = 0; x < W; ++x)
        Acc[size_t(x)] += Tap * Src[x];
    }
    uint8_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < W; ++x)
      Row[x] = ToByte(Acc[size_t(x)]);
  }
}
