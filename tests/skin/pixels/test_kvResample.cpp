#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/kvResample.h"

namespace {
const TResampleFilter AllFilters[] = {rfBox,    rfTriangle, rfHermite, rfBell,
                                      rfSpline, rfLanczos3, rfMitchell};

TBitmap32 Noise(int W, int H, unsigned Seed) {
  TBitmap32 B(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      Seed = Seed * 1103515245u + 12345u;
      B.Pixel(x, y) = Seed ^ (Seed >> 13);
    }
  return B;
}

TBitmap32 Row(std::initializer_list<int> Values, int Height = 2) {
  TBitmap32 B(int(Values.size()), Height);
  for (int y = 0; y < Height; ++y) {
    int x = 0;
    for (int V : Values)
      B.Pixel(x++, y) = MakePixel(V, V, V, V);
  }
  return B;
}
} // namespace

TEST(ResampleBitmap, SameSizeCopiesExactly) {
  TBitmap32 Src = Noise(7, 5, 1);
  for (TResampleFilter F : AllFilters) {
    TBitmap32 Dst(3, 3);
    ResampleBitmap(Src, Dst, 7, F, 5);
    ASSERT_TRUE(Dst.SameSize(Src));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(Dst.Pixel(x, y), Src.Pixel(x, y));
  }
}

TEST(ResampleBitmap, TooSmallSourceAndZeroSize) {
  TBitmap32 Thin(1, 5), Low(5, 1), Dst(2, 2);
  try {
    ResampleBitmap(Thin, Dst, 4, rfMitchell, 4);
    FAIL();
  } catch (const std::runtime_error& E) {
    EXPECT_STREQ(E.what(), "Source bitmap is too small");
  }
  EXPECT_THROW(ResampleBitmap(Low, Dst, 4, rfBox, 4), std::runtime_error);
  TBitmap32 Src = Noise(4, 4, 2);
  ResampleBitmap(Src, Dst, 3, rfBox, 0);
  EXPECT_EQ(Dst.Width(), 2);
}

TEST(ResampleBitmap, BoxHalvesByPairs) {
  TBitmap32 Src = Row({10, 30, 50, 70});
  TBitmap32 Dst;
  ResampleBitmap(Src, Dst, 2, rfBox, 2);
  EXPECT_EQ(Dst.Pixel(0, 0), MakePixel(20, 20, 20, 20));
  EXPECT_EQ(Dst.Pixel(1, 1), MakePixel(40, 40, 40, 40));
}

TEST(ResampleBitmap, TriangleDoublesWithMirroredEdge) {
  TBitmap32 Src = Row({0, 200});
  TBitmap32 Dst;
  ResampleBitmap(Src, Dst, 4, rfTriangle, 2);
  const int Expected[] = {0, 100, 200, 200};
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(PixG(Dst.Pixel(x, 1)), Expected[x]) << x;
}

TEST(ResampleBitmap, FlatImagesStayFlatForEveryFilterAndSize) {
  // Tiny sources with wide supports exercise the mirrored and clamped edge indexes; 9 to 2 is
  // where unnormalised box weights would brighten by 11 %.
  const int Sizes[][4] = {{2, 2, 37, 5}, {2, 3, 1, 1}, {9, 9, 2, 2}, {5, 2, 40, 3}, {30, 20, 7, 3}};
  for (TResampleFilter F : AllFilters)
    for (const auto& S : Sizes) {
      TBitmap32 Src(S[0], S[1]);
      Src.Fill(0x80C86432);
      TBitmap32 Dst;
      ResampleBitmap(Src, Dst, S[2], F, S[3]);
      ASSERT_EQ(Dst.Width(), S[2]);
      ASSERT_EQ(Dst.Height(), S[3]);
      for (int y = 0; y < S[3]; ++y)
        for (int x = 0; x < S[2]; ++x) {
          ASSERT_EQ(Dst.Pixel(x, y), 0x80C86432u) << F << " " << S[0] << "x" << S[1] << " at " << x;
        }
    }
}

TEST(ResampleBitmap, IntoItself) {
  TBitmap32 B = Row({0, 0, 255, 255}, 4);
  ResampleBitmap(B, B, 2, rfTriangle, 2);
  EXPECT_EQ(B.Width(), 2);
  EXPECT_LT(PixG(B.Pixel(0, 0)), PixG(B.Pixel(1, 0)));
}

TEST(ResampleBitmap, ClampsOvershoot) {
  // Lanczos and Mitchell ring at a hard edge: sums below 0 and above 255 are cut.
  TBitmap32 Src = Row({0, 0, 0, 255, 255, 255});
  TBitmap32 Dst;
  ResampleBitmap(Src, Dst, 17, rfLanczos3, 2);
  EXPECT_EQ(PixG(Dst.Pixel(0, 0)), 0);
  EXPECT_EQ(PixG(Dst.Pixel(16, 0)), 255);
}

TEST(ResampleFilters, Values) {
  EXPECT_DOUBLE_EQ(FilterValue(rfBox, 0.5), 1.0);
  EXPECT_DOUBLE_EQ(FilterValue(rfBox, -0.5), 0.0);
  EXPECT_DOUBLE_EQ(FilterValue(rfTriangle, 0.25), 0.75);
  EXPECT_DOUBLE_EQ(FilterValue(rfHermite, 0.5), 0.5);
  EXPECT_DOUBLE_EQ(FilterValue(rfBell, 1.0), 0.125);
  EXPECT_NEAR(FilterValue(rfSpline, 0.0), 2.0 / 3.0, 1e-12);
  EXPECT_NEAR(FilterValue(rfMitchell, 0.0), 8.0 / 9.0, 1e-12);
  EXPECT_NEAR(FilterValue(rfMitchell, 1.0), 1.0 / 18.0, 1e-12);
  EXPECT_DOUBLE_EQ(FilterValue(rfLanczos3, 0.0), 1.0);
  EXPECT_NEAR(FilterValue(rfLanczos3, 1.0), 0.0, 1e-12);
  EXPECT_NEAR(FilterValue(rfLanczos3, 1.5), -0.1351, 1e-4);
  EXPECT_DOUBLE_EQ(FilterValue(rfLanczos3, 3.0), 0.0);
  EXPECT_DOUBLE_EQ(FilterRadius(rfBox), 0.51);
}
