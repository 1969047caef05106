#include <gtest/gtest.h>

#include <cmath>

#include "skin/pixels/kvBlur.h"

namespace {
TBitmap8 Dot(int W, int H, int X, int Y) {
  TBitmap8 B(W, H);
  B.Pixel(X, Y) = 255;
  return B;
}
} // namespace

TEST(BlurKernel, NormalisedSymmetricAndCut) {
  for (double R : {0.5, 1.0, 2.0, 5.0, 40.0}) {
    const TBlurKernel& K = BlurKernel(R);
    int J = K.HalfWidth;
    ASSERT_GE(J, 1);
    ASSERT_LE(J, 100);
    double Sum = 0;
    for (int i = 0; i <= 2 * J; ++i) {
      Sum += K.Taps[i];
      EXPECT_FLOAT_EQ(K.Taps[i], K.Taps[2 * J - i]);
    }
    EXPECT_NEAR(Sum, 1.0, 1e-5) << R;
    EXPECT_GT(K.Taps[J], K.Taps[J + 1]);
  }
  // Radius 2: the cut tails are below 1/510 together, so about 3 sigma remain.
  EXPECT_EQ(BlurKernel(2.0).HalfWidth, 6);
  // The widest kernel stops at the 201 taps.
  EXPECT_EQ(BlurKernel(1000.0).HalfWidth, 100);
}

TEST(BlurGray8, SpreadsADotSymmetrically) {
  TBitmap8 B = Dot(21, 21, 10, 10);
  BlurGray8(B, 2.0);
  int Centre = B.Pixel(10, 10);
  EXPECT_GT(Centre, 0);
  EXPECT_LT(Centre, 255);
  EXPECT_EQ(B.Pixel(8, 10), B.Pixel(12, 10));
  EXPECT_EQ(B.Pixel(10, 8), B.Pixel(10, 12));
  // Rows are truncated to bytes before the columns run: across the diagonal within a step.
  EXPECT_NEAR(B.Pixel(8, 10), B.Pixel(10, 8), 1);
  EXPECT_GT(Centre, B.Pixel(11, 10));
  EXPECT_EQ(B.Pixel(0, 0), 0);
  int Sum = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x)
      Sum += B.Pixel(x, y);
  EXPECT_NEAR(Sum, 255, 60); // truncation loses a little per pixel
}

TEST(BlurGray8, FlatStaysFlatAndEdgesRepeat) {
  for (int V : {0, 77, 255}) {
    TBitmap8 B(9, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x)
        B.Pixel(x, y) = uint8_t(V);
    BlurGray8(B, 3.0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(B.Pixel(x, y), V) << x << "," << y;
  }
  // A dot in the corner: the edge pixel repeats outward, so the corner keeps more.
  TBitmap8 C = Dot(9, 9, 0, 0);
  TBitmap8 M = Dot(9, 9, 4, 4);
  BlurGray8(C, 1.0);
  BlurGray8(M, 1.0);
  EXPECT_GT(C.Pixel(0, 0), M.Pixel(4, 4));
}

TEST(BlurGray8, HarmlessInputs) {
  TBitmap8 B = Dot(5, 5, 2, 2);
  BlurGray8(B, 0.0);
  BlurGray8(B, -3.0);
  BlurGray8(B, std::nan(""));
  EXPECT_EQ(B.Pixel(2, 2), 255);
  EXPECT_EQ(B.Pixel(1, 2), 0);
  TBitmap8 Empty, One(1, 1);
  BlurGray8(Empty, 2.0);
  One.Pixel(0, 0) = 99;
  BlurGray8(One, 2.0);
  EXPECT_EQ(One.Pixel(0, 0), 99);
}
