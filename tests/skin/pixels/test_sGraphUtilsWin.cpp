// The device-context primitives, checked against the pixels they leave in a DIB section.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "skin/pixels/kvGradients.h"
#include "skin/pixels/sGraphUtils.h"

namespace {
TBitmap32 Numbered(int W, int H) {
  TBitmap32 B(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      B.Pixel(x, y) = 0x40000000u | uint32_t(y << 12) | uint32_t(x * 3);
  return B;
}

uint32_t Rgb(uint32_t P) {
  return P & 0x00FFFFFF;
}
} // namespace

TEST(FillSolidDC, FillsAndRestoresTheDC) {
  TBitmap32 B(6, 5);
  B.Fill(0x00010101);
  HDC DC = static_cast<HDC>(B.NativeDC());
  HGDIOBJ Brush = GetCurrentObject(DC, OBJ_BRUSH);
  FillSolid(DC, {1, 1, 4, 3}, RGBColor(10, 20, 30));
  EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), Brush);
  EXPECT_EQ(Rgb(B.Pixel(1, 1)), 0x000A141Eu);
  EXPECT_EQ(Rgb(B.Pixel(3, 2)), 0x000A141Eu);
  EXPECT_EQ(B.Pixel(4, 2), 0x00010101u);
  EXPECT_EQ(B.Pixel(1, 3), 0x00010101u);
  FillSolid(DC, {-5, -5, 1, 1}, clWhite); // clipped by the DC itself
  EXPECT_EQ(Rgb(B.Pixel(0, 0)), 0x00FFFFFFu);
}

TEST(FillSolidDC, FrameStripsMatchThePixelFill) {
  TBitmap32 A(10, 8), B(10, 8);
  FillFrameSolid(A.NativeDC(), {1, 1, 9, 8}, 1, 2, 3, 1, RGBColor(200, 100, 50));
  FillFramePixels32(B, {1, 1, 9, 8}, 1, RGBColor(200, 100, 50), 1, 3, 2);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(Rgb(A.Pixel(x, y)), Rgb(B.Pixel(x, y))) << x << "," << y;
}

TEST(Draw3DFrameDC, LinesInsideTheRectangle) {
  TBitmap32 B(7, 7);
  Draw3DFrame(B.NativeDC(), {1, 1, 6, 6}, clWhite, 2, RGBColor(1, 1, 1));
  const uint32_t L = 0xFFFFFF, D = 0x010101;
  EXPECT_EQ(Rgb(B.Pixel(1, 1)), L);
  EXPECT_EQ(Rgb(B.Pixel(1, 4)), L);
  EXPECT_EQ(Rgb(B.Pixel(4, 1)), L);
  EXPECT_EQ(Rgb(B.Pixel(5, 1)), D); // top-right corner belongs to the dark line
  EXPECT_EQ(Rgb(B.Pixel(5, 5)), D);
  EXPECT_EQ(Rgb(B.Pixel(1, 5)), D); // bottom-left corner as well
  EXPECT_EQ(Rgb(B.Pixel(2, 2)), L); // the second, inner frame
  EXPECT_EQ(Rgb(B.Pixel(4, 4)), D);
  EXPECT_EQ(Rgb(B.Pixel(3, 3)), 0u);
  EXPECT_EQ(Rgb(B.Pixel(6, 6)), 0u); // nothing on R's right and bottom edges
  EXPECT_EQ(Rgb(B.Pixel(0, 0)), 0u);
}

TEST(StretchDC, StretchCopyGivesTheSamePixelsAsStretchBlt) {
  const int Cases[][8] = {
      // source rect (x, y, w, h), destination rect (x, y, w, h)
      {0, 0, 4, 4, 0, 0, 9, 7},   {0, 0, 9, 7, 0, 0, 4, 4},   {1, 2, 5, 3, 2, 1, 13, 11},
      {0, 0, 16, 16, 0, 0, 3, 5}, {2, 0, 1, 1, 0, 0, 17, 17}, {0, 0, 16, 1, 0, 0, 7, 17},
      {3, 3, 7, 9, 1, 1, 17, 4},  {0, 0, 5, 5, 0, 0, 5, 5},   {0, 0, 13, 11, 0, 0, 12, 10},
  };
  TBitmap32 Src = Numbered(16, 16);
  for (const auto& C : Cases) {
    TBitmap32 A(20, 20), B(20, 20);
    TRect SrcR = Bounds(C[0], C[1], C[2], C[3]), DstR = Bounds(C[4], C[5], C[6], C[7]);
    StretchBltCopy(A, DstR, Src, SrcR);
    StretchCopy(B, DstR, Src, SrcR);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(A.Pixel(x, y), B.Pixel(x, y)) << "case " << C[2] << "x" << C[3] << " -> " << C[6]
                                                << "x" << C[7] << " at " << x << "," << y;
  }
}

TEST(StretchDC, EveryRowAndColumnRatioUpTo40) {
  TBitmap32 Src = Numbered(40, 40);
  for (int N = 1; N <= 40; ++N)
    for (int M = 1; M <= 40; ++M) {
      TBitmap32 A(40, 2), B(40, 2), C(2, 40), D(2, 40);
      StretchBltCopy(A, {0, 0, M, 1}, Src, {0, 0, N, 1});
      StretchCopy(B, {0, 0, M, 1}, Src, {0, 0, N, 1});
      StretchBltCopy(C, {0, 0, 1, M}, Src, {0, 0, 1, N});
      StretchCopy(D, {0, 0, 1, M}, Src, {0, 0, 1, N});
      for (int i = 0; i < M; ++i) {
        ASSERT_EQ(A.Pixel(i, 0), B.Pixel(i, 0)) << N << " -> " << M << " columns, at " << i;
        ASSERT_EQ(C.Pixel(0, i), D.Pixel(0, i)) << N << " -> " << M << " rows, at " << i;
      }
    }
}

TEST(StretchDC, CopyPixelsIsBitBlt) {
  TBitmap32 Src = Numbered(6, 5);
  const int Cases[][6] = {{0, 0, 0, 0, 6, 5},
                          {-2, 1, 0, 0, 6, 5},
                          {3, 2, 1, 1, 4, 3},
                          {0, 0, -1, -2, 5, 5},
                          {5, 4, 0, 0, 6, 5}};
  for (const auto& C : Cases) {
    TBitmap32 A(7, 6), B(7, 6);
    BitBlt(static_cast<HDC>(A.NativeDC()), C[0], C[1], C[4], C[5], static_cast<HDC>(Src.NativeDC()),
           C[2], C[3], SRCCOPY);
    GdiFlush();
    CopyPixels(B, C[0], C[1], Src, Bounds(C[2], C[3], C[4], C[5]));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(A.Pixel(x, y), B.Pixel(x, y)) << C[0] << "," << C[1] << " at " << x << "," << y;
  }
}

TEST(TileDC, TileGraphicMatchesTileBitmap) {
  TBitmap32 Tile = Numbered(3, 2);
  for (bool Pattern : {false, true}) {
    TBitmap32 A(11, 9), B(11, 9);
    TileGraphic(A.NativeDC(), {1, 2, 10, 9}, &Tile, Pattern);
    TileBitmap(B, {1, 2, 10, 9}, Tile);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 11; ++x)
        ASSERT_EQ(A.Pixel(x, y), B.Pixel(x, y)) << Pattern << " " << x << "," << y;
  }
  TBitmap32 C(4, 4);
  TileGraphic(C.NativeDC(), {0, 0, 4, 4}, nullptr);
  TBitmap32 Empty;
  TileGraphic(C.NativeDC(), {0, 0, 4, 4}, &Empty);
  EXPECT_EQ(C.Pixel(2, 2), 0u);
}

TEST(GradientDC, SystemTriangleFillAndThePixelPathAgree) {
  const TColor Colors[5] = {RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255),
                            RGBColor(255, 255, 255), RGBColor(0, 0, 0)};
  TBitmap32 A(40, 30), B(40, 30);
  ASSERT_TRUE(PaintCornersGradientGdi(A, {0, 0, 40, 30}, Colors));
  PaintCornersGradientPixels(B, {0, 0, 40, 30}, Colors);
  int MaxDiff = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t P = A.Pixel(x, y), Q = B.Pixel(x, y);
      for (int S = 0; S < 24; S += 8)
        MaxDiff = std::max(MaxDiff, std::abs(int((P >> S) & 0xFF) - int((Q >> S) & 0xFF)));
    }
  // Both interpolate the same triangles at the same points.
  EXPECT_EQ(MaxDiff, 0);
  // The gradient call goes through the system's fill in this build.
  TBitmap32 C(10, 10);
  TsGradArray G{{RGBColor(9, 8, 7), 0, 0, gkCorners}};
  PaintGradient(C, {0, 0, 10, 10}, G);
  EXPECT_EQ(Rgb(C.Pixel(5, 5)), 0x00090807u);
}

TEST(RoundShadowDC, DarkensInsideTowardTheColour) {
  TBitmap32 B(20, 20);
  B.Fill(0xFFFFFFFF);
  PaintRoundShadow(B, {2, 2, 18, 18}, 0, 4, 3, clBlack);
  EXPECT_EQ(B.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(B.Pixel(19, 10), 0xFFFFFFFFu);
  int Edge = B.Pixel(10, 2) & 0xFF, Inner = B.Pixel(10, 10) & 0xFF;
  EXPECT_LT(Inner, Edge);
  EXPECT_LT(Inner, 255);
  // Step (255 - 0) / 4 = 63 per level: three levels give 255 - 189 = 66 under the mask.
  EXPECT_NEAR(Inner, BlendChannel(255, 0, 66), 1);
  // A negative depth (a zero divisor) and an empty rectangle do nothing.
  TBitmap32 C(4, 4);
  C.Fill(0xFFFFFFFF);
  PaintRoundShadow(C, {0, 0, 4, 4}, 0, 4, -1, clBlack);
  PaintRoundShadow(C, {2, 2, 2, 4}, 0, 4, 3, clBlack);
  EXPECT_EQ(C.Pixel(2, 2), 0xFFFFFFFFu);
}
