#include <gtest/gtest.h>

#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/pixels/PaintTestUtils.h"

namespace {
// A bitmap whose every pixel is distinct: 0xAA0000YX style values.
TBitmap32 Numbered(int W, int H, uint32_t Base = 0x80AA0000) {
  TBitmap32 B(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      B.Pixel(x, y) = Base | uint32_t(y << 8) | uint32_t(x);
  return B;
}
} // namespace

TEST(PixelMath, WeightedChannelBlendTable) {
  struct {
    int Old, Src, W, Expected;
  } Cases[] = {
      {0, 255, 255, 0},     {255, 0, 255, 254},   {255, 0, 0, 0},       {0, 255, 0, 255},
      {77, 13, 0, 13},      {100, 200, 128, 150}, {200, 100, 128, 150}, {0, 255, 1, 254},
      {255, 0, 1, 0},       {10, 11, 255, 10},    {11, 10, 255, 10},    {128, 0, 128, 64},
      {255, 255, 200, 255}, {1, 0, 128, 0},       {0, 1, 128, 0},       {3, 0, 128, 1},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(BlendChannel(C.Old, C.Src, C.W), C.Expected)
        << C.Old << " over " << C.Src << " weight " << C.W;
  // Per pixel: the three colour channels, alpha from the old pixel.
  EXPECT_EQ(BlendPixel(0x11FF0000, 0x2200FF00, 255), 0x11FE0000u);
}

TEST(PixelMath, RoundsHalfToEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);
  EXPECT_EQ(RoundByte(255.5), 255);
  EXPECT_EQ(RoundByte(-3.0), 0);
  EXPECT_EQ(RoundByte(254.5), 254);
}

TEST(Rects, WidthHeightOverlap) {
  EXPECT_EQ(RectWidth({5, 0, 2, 1}), -3);
  EXPECT_EQ(RectWidth({5, 0, 2, 1}, true), 0);
  EXPECT_EQ(RectHeight({0, 2, 0, 9}), 7);
  EXPECT_TRUE(RectsOverlap({0, 0, 10, 10}, {9, 9, 12, 12}));
  EXPECT_FALSE(RectsOverlap({0, 0, 10, 10}, {10, 0, 12, 5})); // touching edge
  EXPECT_FALSE(RectsOverlap({0, 0, 10, 10}, {-5, -5, 0, 3}));
  EXPECT_FALSE(RectsOverlap({0, 0, 10, 10}, {3, 3, 3, 8})); // empty
}

TEST(Fills, FillPixelsClipsAtEveryEdge) {
  const TRect Cases[] = {{-2, 1, 2, 3}, {2, -3, 3, 2}, {3, 2, 9, 4}, {1, 3, 2, 10}, {-5, -5, 9, 9}};
  for (const TRect& R : Cases) {
    TBitmap32 B(4, 4);
    FillPixels32(B, R, 0x00332211, 0x80);
    TRect Clip = R.Intersected(B.BoundsRect());
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(B.Pixel(x, y), Clip.Contains(x, y) ? 0x80112233u : 0u);
  }
  TBitmap32 B(4, 4);
  FillPixels32(B, {4, 0, 8, 4}, clWhite);
  FillPixels32(B, {-3, -3, 0, 0}, clWhite);
  FillPixels32(B, {2, 2, 1, 3}, clWhite);
  EXPECT_EQ(CountPixels(B, 0), 16);
  // System colours are turned into RGB; the alpha byte is the one given.
  FillPixels32(B, {0, 0, 1, 1}, clWindow);
  EXPECT_EQ(B.Pixel(0, 0) >> 24, 255u);
  EXPECT_EQ(B.Pixel(0, 0) & 0xFFFFFF, ColorToPixel(ColorToRGB(clWindow)) & 0xFFFFFF);
}

TEST(Fills, FrameStripsInOrder) {
  TRect S[4];
  FrameStrips({0, 0, 10, 8}, 1, 2, 3, 4, S);
  EXPECT_EQ(S[0], (TRect{0, 0, 10, 2}));
  EXPECT_EQ(S[1], (TRect{0, 2, 1, 8}));
  EXPECT_EQ(S[2], (TRect{1, 4, 10, 8}));
  EXPECT_EQ(S[3], (TRect{7, 2, 10, 4}));
  TBitmap32 B(10, 8);
  FillFramePixels32(B, {0, 0, 10, 8}, 1, clWhite, 4, 3, 2);
  EXPECT_EQ(B.Pixel(5, 1), 0xFFFFFFFFu);
  EXPECT_EQ(B.Pixel(0, 7), 0xFFFFFFFFu);
  EXPECT_EQ(B.Pixel(9, 3), 0xFFFFFFFFu);
  EXPECT_EQ(B.Pixel(3, 3), 0u); // the inside stays
  EXPECT_EQ(CountPixels(B, 0), 6 * 2);
  FillFramePixels32(B, {-4, -4, 20, 20}, 2, clBlack, 2, 2, 2); // clipped, no harm
}

TEST(Colors, BlendAndAverage) {
  EXPECT_EQ(BlendColors(0x11223344, 0x00AABBCC, 1.0), 0x11223344u); // K = 1 gives C1
  EXPECT_EQ(BlendColors(0x00FFFFFF, 0, 0.0), 0u);
  // Ties round to even: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
  EXPECT_EQ(BlendColors(0x00050301, 0, 0.5), 0x00020200u);
  EXPECT_EQ(BlendColors(0x01000000, 0x00000010, 0.5) >> 24, 1u);
  EXPECT_EQ(AverageColors(0x0000FF, 0xFF0000), 0x0080007Eu);
  EXPECT_EQ(AverageColors(0x010000FF, 0), 0x0000007Eu); // high byte 0
}

TEST(Colors, ShiftHue) {
  EXPECT_EQ(ShiftHue(120, 0x0000FF), 0x00FF00u); // red -> green
  EXPECT_EQ(ShiftHue(240, 0x0000FF), 0xFF0000u); // red -> blue
  EXPECT_EQ(ShiftHue(360, 0x0000FF), 0x0000FFu);
  // Negative offsets land in 0..359 as well.
  EXPECT_EQ(ShiftHue(-120, 0x0000FF), 0xFF0000u);
  EXPECT_EQ(ShiftHue(-480, 0x0000FF), 0xFF0000u);
  EXPECT_EQ(ShiftHue(0, 0x12345678), 0x12345678u);
  EXPECT_EQ(ShiftHue(90, 0x808080), 0x808080u); // grey has no hue
  // Pixel order: red is in bits 16..23 and the alpha byte stays.
  EXPECT_EQ(ShiftHuePixel(120, 0x7FFF0000), 0x7F00FF00u);
  // An orange turned by 180 degrees: H 30 -> 210, i 3, f 0.5.
  EXPECT_EQ(ShiftHue(180, RGBColor(255, 128, 0)), RGBColor(0, 128, 255));
}

TEST(Colors, ShiftSaturation) {
  EXPECT_EQ(ShiftSaturation(-100, RGBColor(30, 60, 90)), RGBColor(60, 60, 60));
  EXPECT_EQ(ShiftSaturation(100, RGBColor(30, 60, 90)), RGBColor(0, 60, 120));
  EXPECT_EQ(ShiftSaturation(100, RGBColor(200, 250, 10)), RGBColor(247, 255, 0));
  EXPECT_EQ(ShiftSaturation(0, 0x01ABCDEF), 0x01ABCDEFu);
  // avg 1/3: 0 - (1/3 - 0) * 1.5 = -0.5 -> 0; 1 - (1/3 - 1) * 1.5 = 2.
  EXPECT_EQ(ShiftSaturationPixel(150, 0xFF000100), 0xFF000200u);
}

TEST(Recolour, BitmapHueAndSaturationSkipKeyAndGrey) {
  TBitmap32 B(4, 1);
  B.Pixel(0, 0) = 0x00FF00FF; // key: untouched
  B.Pixel(1, 0) = 0xFFFF00FF; // fuchsia with alpha: a colour like any other
  B.Pixel(2, 0) = 0xFF404040; // grey: untouched
  B.Pixel(3, 0) = 0x80FF0000; // red
  TBitmap32 C = B;
  ShiftBitmapHue(B, 60);
  EXPECT_EQ(B.Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(B.Pixel(1, 0), 0xFFFF0000u); // 300 + 60 -> red
  EXPECT_EQ(B.Pixel(2, 0), 0xFF404040u);
  EXPECT_EQ(B.Pixel(3, 0), 0x80FFFF00u); // red + 60 -> yellow
  ShiftBitmapSaturation(C, -100);
  EXPECT_EQ(C.Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(C.Pixel(1, 0), 0xFFAAAAAAu);
  EXPECT_EQ(C.Pixel(2, 0), 0xFF404040u);
  EXPECT_EQ(C.Pixel(3, 0), 0x80555555u);
  TBitmap32 Empty;
  ShiftBitmapHue(Empty, 30);
}

TEST(Recolour, GrayBitmaps) {
  TBitmap32 B(2, 1);
  B.Pixel(0, 0) = 0x7F0A141F; // (10 + 20 + 31) div 3 = 20
  B.Pixel(1, 0) = 0x00FF00FF;
  TBitmap32 C = B;
  GrayBitmap(B);
  EXPECT_EQ(B.Pixel(0, 0), 0x7F141414u);
  EXPECT_EQ(B.Pixel(1, 0), 0x00AAAAAAu);
  GrayBitmapKeyed(C, 0x00FF00FF);
  EXPECT_EQ(C.Pixel(0, 0), 0x7F141414u);
  EXPECT_EQ(C.Pixel(1, 0), 0x00FF00FFu);
}

TEST(Recolour, AverageRectMatchesAverageColorsAndKeepsTheGround) {
  const TColor Ink = 0x00182A1F, Ground = 0x00FFFFFF;
  TBitmap32 B(4, 2);
  B.Fill(0x80000000 | ColorToPixel(Ground));
  B.Pixel(1, 0) = 0x80000000 | ColorToPixel(Ink);
  B.Pixel(2, 1) = 0x80000000 | ColorToPixel(BlendColors(Ink, Ground, 0.5)); // an edge pixel
  AverageRect(B, {1, 0, 9, 9}, Ground);
  // The ink comes out as the averaged colour, the ground stays, alpha is kept, and the
  // column left of the rectangle is not touched.
  EXPECT_EQ(B.Pixel(1, 0), 0x80000000 | ColorToPixel(AverageColors(Ink, Ground)));
  EXPECT_EQ(CountPixels(B, 0x80000000 | ColorToPixel(Ground)), 6);
  EXPECT_EQ(B.Pixel(2, 1),
            0x80000000 | ColorToPixel(AverageColors(BlendColors(Ink, Ground, 0.5), Ground)));
  TBitmap32 Left(2, 1);
  Left.Fill(ColorToPixel(Ink));
  AverageRect(Left, {1, 0, 2, 1}, Ground);
  EXPECT_EQ(Left.Pixel(0, 0), ColorToPixel(Ink));
  AverageRect(Left, {-5, -5, 0, 0}, Ground); // outside: nothing
  EXPECT_EQ(Left.Pixel(0, 0), ColorToPixel(Ink));
}

TEST(Recolour, TintRectClippedToTheBitmap) {
  TBitmap32 B(3, 3);
  B.Fill(0x40030201);
  TBitmap32 Same = B;
  TintRect(Same, {0, 0, 3, 3}, 100, clWhite); // 100 % keeps the pixels
  EXPECT_EQ(CountPixels(Same, 0x40030201), 9);
  // A rectangle reaching past the right and bottom edges: the last row and column are
  // tinted, nothing beyond is written.
  TintRect(B, {1, 1, 6, 6}, 0, 0x00A0B0C0);
  EXPECT_EQ(B.Pixel(2, 2), 0x40C0B0A0u);
  EXPECT_EQ(B.Pixel(1, 1), 0x40C0B0A0u);
  EXPECT_EQ(B.Pixel(0, 2), 0x40030201u);
  EXPECT_EQ(B.Pixel(2, 0), 0x40030201u);
  TintRect(B, {-3, -3, 0, 0}, 0, clWhite);
  TintRect(B, {3, 0, 10, 10}, 0, clWhite);
  EXPECT_EQ(CountPixels(B, 0x40C0B0A0), 4);
  // 50 %: channel 3 over 0 gives 1.5 -> 2, 1 over 0 gives 0.5 -> 0.
  TBitmap32 T(1, 1);
  T.Pixel(0, 0) = 0xFF030201;
  TintRect(T, {0, 0, 1, 1}, 50, clBlack);
  EXPECT_EQ(T.Pixel(0, 0), 0xFF020100u);
}

TEST(Recolour, TintRectAlphaAndTintBitmap) {
  TBitmap32 B(2, 2);
  B.Fill(0x00646464);
  TintRectAlpha(B, {1, 0, 5, 1}, clBlack, 0xC0, 25); // 100 - 25 * 100 / 100 = 75
  EXPECT_EQ(B.Pixel(1, 0), 0xC04B4B4Bu);
  EXPECT_EQ(B.Pixel(0, 0), 0x00646464u);
  EXPECT_EQ(B.Pixel(1, 1), 0x00646464u);
  TBitmap32 T(2, 1);
  T.Pixel(0, 0) = 0x11050505;
  T.Pixel(1, 0) = 0x00FF00FF;
  TintBitmap(T, clBlack, 0.5); // 2.5 -> 2
  EXPECT_EQ(T.Pixel(0, 0), 0x11020202u);
  EXPECT_EQ(T.Pixel(1, 0), 0x00FF00FFu);
}

TEST(Recolour, SetAlphaRectIsClippedAndKeyed) {
  TBitmap32 B(3, 2);
  B.Fill(0x00102030);
  B.Pixel(2, 1) = 0x00FF00FF;
  SetAlphaRect(B, {1, -5, 40, 40}, 0xAB, 0x00FF00FF);
  EXPECT_EQ(B.Pixel(0, 0), 0x00102030u);
  EXPECT_EQ(B.Pixel(1, 1), 0xAB102030u);
  EXPECT_EQ(B.Pixel(2, 0), 0xAB102030u);
  EXPECT_EQ(B.Pixel(2, 1), 0x00FF00FFu);
  SetAlphaRect(B, {0, 0, 3, 2}, 0x01);
  EXPECT_EQ(B.Pixel(2, 1), 0x01FF00FFu);
}

TEST(Recolour, PremultiplyAndMultiplyByMask) {
  TBitmap32 B(3, 1);
  B.Pixel(0, 0) = 0x00FFFFFF;
  B.Pixel(1, 0) = 0x80C86432; // 200, 100, 50 at alpha 128
  B.Pixel(2, 0) = 0xFFFFFFFF;
  PremultiplyAlpha(B);
  EXPECT_EQ(B.Pixel(0, 0), 0u);
  EXPECT_EQ(B.Pixel(1, 0), 0x80643219u);
  EXPECT_EQ(B.Pixel(2, 0), 0xFFFEFEFEu);

  TBitmap32 D(2, 1), M(2, 1);
  D.Fill(0x7F646464);
  M.Pixel(0, 0) = 0x00FFFFFF; // white keeps (almost) the pixel
  M.Pixel(1, 0) = 0x00000000; // black gives the colour
  MultiplyByMask(D, M, RGBColor(10, 20, 30));
  EXPECT_EQ(D.Pixel(0, 0), 0x7F646464u - 0x00010101u + 0x00000000u);
  EXPECT_EQ(D.Pixel(1, 0), 0x7F0A141Eu);
  TBitmap32 Wrong(3, 3);
  MultiplyByMask(Wrong, M, clWhite);
  EXPECT_EQ(CountPixels(Wrong, 0), 9);
}

TEST(Blends, BlendRectRowsAndClipping) {
  TBitmap32 Src = Numbered(4, 3);
  TBitmap32 D(4, 4);
  BlendRect(D, Src, 0, {0, 0}, {0, 0, 4, 3}); // rows 0..2, columns 0..3
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(D.Pixel(x, y) & 0xFFFFFF, Src.Pixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(D.Pixel(0, 3), 0u);
  EXPECT_EQ(D.Pixel(0, 0) >> 24, 0u); // alpha untouched

  TBitmap32 E(4, 4);
  BlendRect(E, Src, 0, {-1, -1}, {0, 0, 4, 10}); // negative P moves SrcR inward
  EXPECT_EQ(E.Pixel(0, 0), Src.Pixel(1, 1) & 0xFFFFFF);
  EXPECT_EQ(E.Pixel(2, 1), Src.Pixel(3, 2) & 0xFFFFFF);
  EXPECT_EQ(E.Pixel(3, 0), 0u);
  EXPECT_EQ(E.Pixel(0, 2), 0u);

  TBitmap32 F(3, 3);
  BlendRect(F, Src, 0, {2, 2}, {0, 0, 4, 3}); // cut at Dst's right and bottom
  EXPECT_EQ(F.Pixel(2, 2), Src.Pixel(0, 0) & 0xFFFFFF);
  BlendRect(F, Src, 0, {3, 0}, {0, 0, 4, 3});  // P outside
  BlendRect(F, Src, 0, {0, 0}, {4, 0, 6, 3});  // SrcR outside
  BlendRect(F, Src, 0, {0, 0}, {-1, 0, 2, 3}); // SrcR's left outside
  EXPECT_EQ(CountPixels(F, 0), 8);

  TBitmap32 G(1, 1), H(1, 1);
  G.Fill(0x22FF0000);
  BlendSameSize(G, H, 255);
  EXPECT_EQ(G.Pixel(0, 0), 0x22FE0000u);
  TBitmap32 Other(2, 1);
  BlendSameSize(G, Other, 0);
  EXPECT_EQ(G.Pixel(0, 0), 0x22FE0000u);
}

TEST(Blends, BlendKeyed) {
  TBitmap32 Src(3, 2);
  Src.Fill(0x000A0A0A);
  Src.Pixel(1, 0) = 0x00FF00FF;
  TBitmap32 D(3, 3);
  D.Fill(0x55050505);
  // Round(s - (s - d) * K): 10 - 5 * 0.5 = 7.5 -> 8.
  BlendKeyed(D, 0, 0, 0x00FF00FF, 0.5, {0, 0, 10, 10}, Src);
  EXPECT_EQ(D.Pixel(0, 0), 0x55080808u);
  EXPECT_EQ(D.Pixel(1, 0), 0x55050505u); // key skipped
  EXPECT_EQ(D.Pixel(2, 1), 0x55080808u);
  EXPECT_EQ(D.Pixel(0, 2), 0x55050505u);
  // A negative left edge counts from 0 and moves the destination right.
  TBitmap32 E(3, 1);
  BlendKeyed(E, 0, 0, NoKey, 0.0, {-1, 0, 1, 1}, Src);
  EXPECT_EQ(E.Pixel(0, 0), 0u);
  EXPECT_EQ(E.Pixel(1, 0), 0x000A0A0Au);
  BlendKeyed(E, -5, 7, NoKey, 0.0, {0, 0, 3, 2}, Src); // all outside
}

TEST(Blends, BlendThree) {
  TBitmap32 D(2, 1), A(2, 1), B(2, 1), Wt(2, 1);
  D.Fill(0x33000000);
  A.Fill(0x00FF0000);
  B.Fill(0x0000FF00);
  BlendThree(D, A, B, 255);
  EXPECT_EQ(D.Pixel(0, 0), 0x33FE0000u);
  Wt.Pixel(1, 0) = 0x00FF0000; // red weight 255 (red from A), green 0 (green from B)
  BlendThree(D, A, B, 0, &Wt);
  EXPECT_EQ(D.Pixel(0, 0), 0x3300FF00u);
  EXPECT_EQ(D.Pixel(1, 0), 0x33FEFF00u);
  TBitmap32 Small(1, 1);
  BlendThree(D, A, Small, 0);
  EXPECT_EQ(D.Pixel(1, 0), 0x33FEFF00u);
}

TEST(Blends, BlendThreeWithOneWeightMatchesThePixelBlendForEveryWeight) {
  TBitmap32 A(64, 4), B(64, 4), D(64, 4), Ref(64, 4);
  uint32_t Seed = 12345;
  auto Next = [&Seed] { return Seed = Seed * 1103515245u + 12345u; };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 64; ++x) {
      A.Pixel(x, y) = Next();
      B.Pixel(x, y) = Next();
    }
  A.Pixel(0, 0) = 0xFFFFFFFF;
  B.Pixel(0, 0) = 0;
  A.Pixel(1, 0) = 0;
  B.Pixel(1, 0) = 0xFFFFFFFF;
  for (int W = 0; W <= 256; ++W) {
    D.Fill(0x7F000000);
    BlendThree(D, A, B, W);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 64; ++x)
        ASSERT_EQ(D.Pixel(x, y), WithAlpha(BlendPixel(A.Pixel(x, y), B.Pixel(x, y), W), 0x7F))
            << W << " " << x << "," << y;
  }
}

TEST(Stretch, NearestPixelAndClipping) {
  TBitmap32 Src = Numbered(2, 1);
  TBitmap32 D(4, 1);
  StretchCopy(D, {0, 0, 4, 1}, Src, {0, 0, 2, 1});
  EXPECT_EQ(D.Pixel(0, 0), Src.Pixel(0, 0));
  EXPECT_EQ(D.Pixel(1, 0), Src.Pixel(0, 0));
  EXPECT_EQ(D.Pixel(2, 0), Src.Pixel(1, 0));
  EXPECT_EQ(D.Pixel(3, 0), Src.Pixel(1, 0));
  TBitmap32 Wide = Numbered(4, 2);
  TBitmap32 E(2, 1);
  StretchCopy(E, {0, 0, 2, 1}, Wide, {0, 0, 4, 2});
  // Shrinking keeps the last of the columns but the first of the rows that meet.
  EXPECT_EQ(E.Pixel(0, 0), Wide.Pixel(1, 0));
  EXPECT_EQ(E.Pixel(1, 0), Wide.Pixel(3, 0));
  TBitmap32 F(3, 3);
  StretchCopy(F, {-2, -2, 4, 4}, Wide, {0, 0, 4, 2}); // partly outside Dst
  StretchCopy(F, {0, 0, 3, 3}, Wide, {2, 0, 8, 2});   // partly outside Src: skipped pixels
  StretchCopy(F, {0, 0, 0, 3}, Wide, {0, 0, 4, 2});
  EXPECT_EQ(F.Pixel(0, 0), Wide.Pixel(3, 0));
  // A huge destination costs only its visible part.
  StretchCopy(F, {-1000000000, 0, 1000000000, 3}, Wide, {0, 0, 4, 2});
  EXPECT_EQ(F.Pixel(0, 0), Wide.Pixel(0, 0)); // a step below 1/65536 stays on the first pixel
}

TEST(Stretch, CopyPixelsClipsAligned) {
  TBitmap32 Src = Numbered(4, 3);
  TBitmap32 D(3, 3);
  CopyPixels(D, -1, 1, Src, {0, 0, 4, 3}); // left of Dst: source column 1 lands on 0
  EXPECT_EQ(D.Pixel(0, 1), Src.Pixel(1, 0));
  EXPECT_EQ(D.Pixel(2, 2), Src.Pixel(3, 1));
  EXPECT_EQ(D.Pixel(0, 0), 0u);
  TBitmap32 E(3, 3);
  CopyPixels(E, 0, 0, Src, {-2, 2, 1, 9}); // source beyond its top-left and bottom
  EXPECT_EQ(E.Pixel(2, 0), Src.Pixel(0, 2));
  EXPECT_EQ(E.Pixel(1, 0), 0u);
  EXPECT_EQ(E.Pixel(2, 1), 0u);
  CopyPixels(E, 3, 0, Src, {0, 0, 4, 3});
  CopyPixels(E, 0, 0, Src, {4, 0, 9, 3});
}

TEST(Stretch, TileBitmapFromTopLeft) {
  TBitmap32 Tile = Numbered(2, 2);
  TBitmap32 D(6, 4);
  TileBitmap(D, {1, 1, 6, 4}, Tile);
  EXPECT_EQ(D.Pixel(0, 0), 0u);
  EXPECT_EQ(D.Pixel(1, 1), Tile.Pixel(0, 0));
  EXPECT_EQ(D.Pixel(4, 2), Tile.Pixel(1, 1));
  EXPECT_EQ(D.Pixel(5, 3), Tile.Pixel(0, 0));
  TBitmap32 E(3, 3);
  TileBitmap(E, {-3, -1, 3, 3}, Tile); // the tiling starts at R, not at the clip
  EXPECT_EQ(E.Pixel(0, 0), Tile.Pixel(1, 1));
  TBitmap32 Empty;
  TileBitmap(E, {0, 0, 3, 3}, Empty);
}

TEST(Glyphs, ArrowPixels) {
  TBitmap32 B(10, 10);
  DrawArrowPixels(B, clBlack, {0, 0, 10, 10}, 4);
  // Right arrow: column 3 rows 2..8, column 4 rows 3..7, ... column 6 row 5.
  EXPECT_EQ(CountPixels(B, 0xFF000000), 16);
  EXPECT_EQ(B.Pixel(3, 2), 0xFF000000u);
  EXPECT_EQ(B.Pixel(3, 8), 0xFF000000u);
  EXPECT_EQ(B.Pixel(6, 5), 0xFF000000u);
  EXPECT_EQ(B.Pixel(6, 4), 0u);
  TBitmap32 C(10, 10);
  DrawArrowPixels(C, clWhite, {0, 0, 10, 10}, 8);
  // Down arrow: row 2 columns 1..8, row 5 columns 4..5.
  EXPECT_EQ(CountPixels(C, 0xFFFFFFFF), 20);
  EXPECT_EQ(C.Pixel(1, 2), 0xFFFFFFFFu);
  EXPECT_EQ(C.Pixel(8, 2), 0xFFFFFFFFu);
  EXPECT_EQ(C.Pixel(4, 5), 0xFFFFFFFFu);
  EXPECT_EQ(C.Pixel(6, 5), 0u);
  TBitmap32 D(10, 10);
  DrawArrowPixels(D, clWhite, {0, 0, 10, 10}, 2);
  DrawArrowPixels(D, clWhite, {-8, -8, -6, -6}, 4); // outside: no writes
  EXPECT_EQ(CountPixels(D, 0), 100);
}
