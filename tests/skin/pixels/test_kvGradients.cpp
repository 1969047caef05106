#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "skin/pixels/kvGradients.h"
#include "skin/pixels/kvPixelMath.h"

namespace {
TsGradArray Parse(std::string_view Text) {
  TsGradArray G;
  ParseGradientData(Text, G);
  return G;
}

TsGradArray Pieces(std::initializer_list<TsGradPie> P) {
  return TsGradArray(P);
}
} // namespace

TEST(ParseGradientData, PieceCounts) {
  EXPECT_EQ(Parse(""), TsGradArray(1));
  EXPECT_EQ(Parse("1;2;3;4").size(), 0u);
  EXPECT_EQ(Parse("1;2;3;4;5;6;7;8;9").size(), 1u);
  TsGradArray G = Parse("16777215;11337727;97;0;0;11337727;11337727;0;0;0");
  ASSERT_EQ(G.size(), 2u);
  EXPECT_EQ(G[0], (TsGradPie{16777215, 11337727, 97, 0, 0}));
  EXPECT_EQ(G[1], (TsGradPie{11337727, 11337727, 0, 0, 0}));
}

TEST(ParseGradientData, FieldValues) {
  // Empty fields are skipped; colours below 0 become 0; Percent is limited; Mode2 stays 0.
  TsGradArray G = Parse(";-5;;255;150;2;99;;0;0;-7;1;x");
  ASSERT_EQ(G.size(), 2u);
  EXPECT_EQ(G[0], (TsGradPie{0, 255, 100, 2, 0}));
  EXPECT_EQ(G[1], (TsGradPie{0, 0, 0, 1, 0})); // the unread fifth field may be anything
  EXPECT_EQ(Parse(" $FF;0x10;+5;-1;0")[0], (TsGradPie{255, 16, 5, -1, 0}));
  TsGradArray U;
  ParseGradientData(u"1;2;3;4;5", U);
  EXPECT_EQ(U, TsGradArray{(TsGradPie{1, 2, 3, 4, 0})});
}

TEST(ParseGradientData, MalformedNumbers) {
  const char* Bad[] = {"1;2x;3;4;5", "1;2;3;4 ;5", "1;-;3;4;5", "1;99999999999;3;4;5", "1;$;3;4;5"};
  for (const char* Text : Bad)
    EXPECT_THROW(Parse(Text), std::invalid_argument) << Text;
  try {
    Parse("1;abc;3;4;5");
    FAIL();
  } catch (const std::invalid_argument& E) {
    EXPECT_STREQ(E.what(), "'abc' is not a valid integer value");
  }
}

TEST(PaintGradient, VerticalPiecesShareARow) {
  TBitmap32 B(3, 101);
  auto G = Pieces({{RGBColor(0, 0, 0), RGBColor(200, 0, 0), 50, 0},
                   {RGBColor(0, 255, 0), RGBColor(0, 255, 0), 50, 0}});
  PaintGradient(B, {0, 0, 3, 101}, G);
  EXPECT_EQ(B.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(B.Pixel(2, 1), 0xFF040000u);  // 200 / 50 per row
  EXPECT_EQ(B.Pixel(1, 49), 0xFFC40000u); // 196
  EXPECT_EQ(B.Pixel(1, 50), 0xFF00FF00u); // the second piece's first row
  EXPECT_EQ(B.Pixel(1, 100), 0xFF00FF00u);
}

TEST(PaintGradient, VerticalInterpolationReachesColor2AndRounds) {
  TBitmap32 B(1, 5);
  // 0 -> 10 over 4 steps: 0, 2.5, 5, 7.5, 10 -> 0, 2, 5, 8, 10 (ties to even).
  PaintGradient(B, {0, 0, 1, 5}, Pieces({{RGBColor(0, 0, 10), RGBColor(0, 0, 0), 100, 0}}));
  const int Blue[] = {10, 8, 5, 2, 0};
  for (int y = 0; y < 5; ++y)
    EXPECT_EQ(PixB(B.Pixel(0, y)), Blue[y]) << y;
}

TEST(PaintGradient, HorizontalRowsAreEqual) {
  TBitmap32 B(10, 3);
  auto G = Pieces({{RGBColor(0, 0, 0), RGBColor(30, 0, 0), 30, 1},
                   {RGBColor(0, 0, 60), RGBColor(0, 0, 0), 10, 0}});
  PaintGradient(B, {0, 0, 10, 3}, G);
  // First piece ends at Round(30 * 10 / 100) = 3: columns 0..3, red 0, 10, 20, 30.
  EXPECT_EQ(B.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(B.Pixel(2, 1), 0xFF140000u);
  // The last piece runs to the last column whatever its share: blue 60 at 3 -> 0 at 9.
  EXPECT_EQ(B.Pixel(3, 2), 0xFF00003Cu);
  EXPECT_EQ(B.Pixel(9, 0), 0xFF000000u);
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(B.Pixel(x, 0), B.Pixel(x, 2));
}

TEST(PaintGradient, DegenerateCasesAndClipping) {
  auto G = Pieces({{RGBColor(9, 9, 9), RGBColor(200, 200, 200), 50, 0},
                   {RGBColor(1, 1, 1), RGBColor(2, 2, 2), 50, 0}});
  TBitmap32 OneRow(4, 3);
  PaintGradient(OneRow, {0, 1, 4, 2}, G); // one row: the start colour, nothing else
  EXPECT_EQ(OneRow.Pixel(3, 1), 0xFF090909u);
  EXPECT_EQ(OneRow.Pixel(3, 0), 0u);
  TBitmap32 OneCol(3, 4);
  G[0].Mode1 = gkHorizontal;
  PaintGradient(OneCol, {2, 0, 3, 4}, G);
  EXPECT_EQ(OneCol.Pixel(2, 3), 0xFF090909u);
  EXPECT_EQ(OneCol.Pixel(1, 3), 0u);

  TBitmap32 B(4, 4);
  PaintGradient(B, {0, 0, 4, 4}, {});                                   // no pieces
  PaintGradient(B, {4, 0, 8, 4}, G);                                    // outside
  PaintGradient(B, {0, 0, 4, 4}, Pieces({{clWhite, clWhite, 100, 7}})); // unknown kind
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      ASSERT_EQ(B.Pixel(x, y), 0u);
  // Partly outside at every edge: only the bitmap's pixels are written.
  G[0].Mode1 = gkVertical;
  PaintGradient(B, {-3, -3, 9, 9}, G);
  EXPECT_EQ(B.Pixel(0, 0), 0xFF090909u);
  EXPECT_EQ(B.Pixel(3, 3), 0xFF020202u);
}

TEST(PaintGradient, FourCorners) {
  TBitmap32 Flat(9, 7);
  auto Same = Pieces({{0x00406080, 0, 0, gkCorners}, {0x00406080, 0, 0, 0}});
  PaintGradient(Flat, {0, 0, 9, 7}, Same); // missing pieces repeat the last colour
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x)
      ASSERT_EQ(Flat.Pixel(x, y) & 0xFFFFFF, 0x00806040u) << x << "," << y;

  // White top-left, black elsewhere: bright at the top-left, dark at the other corners.
  TBitmap32 B(20, 20);
  auto G = Pieces({{clWhite, 0, 0, gkCorners}, {clBlack, 0, 0, 0}});
  PaintGradient(B, {0, 0, 20, 20}, G);
  EXPECT_GT(PixR(B.Pixel(0, 0)), 200);
  EXPECT_LT(PixR(B.Pixel(19, 0)), 30);
  EXPECT_LT(PixR(B.Pixel(0, 19)), 30);
  EXPECT_EQ(PixR(B.Pixel(19, 19)), 0);
  EXPECT_LT(PixR(B.Pixel(10, 10)), 20);
  EXPECT_EQ(PixR(B.Pixel(3, 1)), PixR(B.Pixel(1, 3))); // symmetric about the diagonal
}

TEST(PaintGradient, CornersPixelsPath) {
  TBitmap32 B(10, 10);
  const TColor Colors[5] = {clWhite, clBlack, clBlack, clBlack, clBlack};
  PaintCornersGradientPixels(B, {0, 0, 10, 10}, Colors);
  EXPECT_EQ(B.Pixel(0, 0) >> 24, 255u);
  EXPECT_GT(PixG(B.Pixel(0, 0)), PixG(B.Pixel(1, 1)));
  EXPECT_EQ(PixG(B.Pixel(9, 9)), 0);
  PaintCornersGradientPixels(B, {20, 20, 30, 30}, Colors); // outside: nothing
}

TEST(PaintGradientTextured, BlendsTiledTexture) {
  TBitmap32 Tex(2, 2);
  Tex.Pixel(0, 0) = 0x00000010;
  Tex.Pixel(1, 0) = 0x00000020;
  Tex.Pixel(0, 1) = 0x00000030;
  Tex.Pixel(1, 1) = 0x00000040;
  auto G = Pieces({{RGBColor(0, 0, 100), RGBColor(0, 0, 100), 100, gkHorizontal}});
  TBitmap32 B(5, 5);
  // Weight 0: the texture itself, tiled from R's top-left, alpha as given.
  PaintGradientTextured(B, {1, 1, 5, 5}, G, 0x80, 0, {}, Tex);
  EXPECT_EQ(B.Pixel(1, 1), 0x80000010u);
  EXPECT_EQ(B.Pixel(2, 1), 0x80000020u);
  EXPECT_EQ(B.Pixel(4, 4), 0x80000040u);
  EXPECT_EQ(B.Pixel(0, 0), 0u);
  // Weight 128 over a part of the texture (its second column only).
  G[0].Mode1 = gkVertical;
  PaintGradientTextured(B, {0, 0, 5, 5}, G, 0xFF, 128, {1, 0, 2, 2}, Tex);
  EXPECT_EQ(B.Pixel(0, 0), 0xFF000000u | uint32_t(BlendChannel(100, 0x20, 128)));
  EXPECT_EQ(B.Pixel(3, 1), 0xFF000000u | uint32_t(BlendChannel(100, 0x40, 128)));
  // Four corners are not textured.
  TBitmap32 C(3, 3);
  G[0].Mode1 = gkCorners;
  PaintGradientTextured(C, {0, 0, 3, 3}, G, 0xFF, 0, {}, Tex);
  EXPECT_EQ(C.Pixel(1, 1), 0u);
}
