#include "skin/paint/kvMaskBorders.h"

#include <gtest/gtest.h>

#include "tests/skin/paint/SkinPaintFixture.h"

namespace {

constexpr uint32_t Ground = 0xFF123456;

TBitmap32 Target(int W, int H) {
  TBitmap32 B(W, H);
  B.Fill(Ground);
  return B;
}

// Local source column of each target column along row Y.
std::vector<int> LocalColumns(const TBitmap32& B, int Y) {
  std::vector<int> Cols;
  for (int x = 0; x < B.Width(); ++x)
    Cols.push_back(PixG(B.Pixel(x, Y)) / 8);
  return Cols;
}

TEST(PaintMaskBorders, TiledPiecesComeFromTheStateFrameAndAreCutAtTheEnd) {
  TTestSkin S(18, 12);
  S.DrawFrames(0, 0, 6, 6, 3, true);
  int I = S.AddImage({0, 0, 18, 12}, 3, 1, 2, 2, 2, 2, dmDrawCentre);
  TBitmap32 B = Target(10, 9);
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 1, S.M.ma[I], TCacheInfo{});
  // Top edge: tiles of the two centre columns, the last cut to the right band.
  EXPECT_EQ(LocalColumns(B, 0), (std::vector<int>{0, 1, 2, 3, 2, 3, 2, 3, 4, 5}));
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(PixR(B.Pixel(x, 4)), 11) << x; // frame 1 everywhere, centre included
  // Rows: top band 0..1, centre rows 2, 3 tiled (7 rows: 2,3,2,3,2), bottom band 4, 5.
  std::vector<int> Rows;
  for (int y = 0; y < 9; ++y)
    Rows.push_back(PixB(B.Pixel(0, y)) / 8);
  EXPECT_EQ(Rows, (std::vector<int>{0, 1, 2, 3, 2, 3, 2, 4, 5}));
}

TEST(PaintMaskBorders, DrawModeFlagsAndStates) {
  TTestSkin S(63, 48);
  S.DrawFrames(0, 0, 21, 24, 3, true);
  int I = S.AddImage({0, 0, 63, 48}, 3, 1, 7, 8, 7, 8, dmStretch | dmSkipNormal);
  TBitmap32 B = Target(30, 30);
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 0, S.M.ma[I], TCacheInfo{});
  EXPECT_EQ(B.Pixel(0, 0), Ground); // skipped in the normal state
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 1, S.M.ma[I], TCacheInfo{});
  EXPECT_EQ(B.Pixel(0, 0), FramePx(1, 0, 0));
  EXPECT_EQ(B.Pixel(29, 29), FramePx(1, 20, 23));
  EXPECT_EQ(B.Pixel(15, 15), Ground); // no centre flag
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 7, S.M.ma[I], TCacheInfo{});
  EXPECT_EQ(B.Pixel(0, 0), FramePx(2, 0, 0)); // the last frame for any higher state
}

TEST(PaintMaskBorders, BandsShrinkToFitSmallTargets) {
  TTestSkin S(15, 15);
  S.DrawFrames(0, 0, 15, 15, 1, false);
  int I = S.AddImage({0, 0, 15, 15}, 1, 0, 7, 7, 7, 7, 0);
  TBitmap32 B = Target(10, 10);
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 0, S.M.ma[I], TCacheInfo{});
  // Overlap 4: both bands 5 wide; the right one from the frame's last five columns.
  EXPECT_EQ(LocalColumns(B, 0), (std::vector<int>{0, 1, 2, 3, 4, 10, 11, 12, 13, 14}));
  TBitmap32 Odd = Target(9, 10);
  PaintMaskBorders(S.M, Odd, Odd.BoundsRect(), false, 0, S.M.ma[I], TCacheInfo{});
  // Overlap 5: the right band is one narrower.
  EXPECT_EQ(LocalColumns(Odd, 0), (std::vector<int>{0, 1, 2, 3, 4, 11, 12, 13, 14}));
}

TEST(PaintMaskBorders, DegenerateFramesAndTargetsDrawNothingAndEnd) {
  TTestSkin S(10, 20);
  S.DrawFrames(0, 0, 10, 10, 1, true);
  // Centre width 10 - 6 - 6 < 0: no border at all.
  int Neg = S.AddImage({0, 0, 10, 20}, 1, 1, 6, 2, 6, 2, 0);
  TBitmap32 B = Target(40, 40);
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 1, S.M.ma[Neg], TCacheInfo{});
  EXPECT_EQ(B.Pixel(0, 0), Ground);
  // Centre width 0 while tiling: the edges have no tile, the call still ends.
  int Zero = S.AddImage({0, 0, 10, 20}, 1, 1, 5, 5, 5, 5, dmDrawCentre);
  PaintMaskBorders(S.M, B, B.BoundsRect(), false, 1, S.M.ma[Zero], TCacheInfo{});
  EXPECT_EQ(B.Pixel(0, 0), FramePx(0, 0, 0));
  EXPECT_EQ(B.Pixel(20, 0), Ground);
  // A target lower than 2 pixels, and a mask without manager.
  TBitmap32 Thin = Target(40, 1);
  PaintMaskBorders(S.M, Thin, Thin.BoundsRect(), false, 1, S.M.ma[Zero], TCacheInfo{});
  EXPECT_EQ(Thin.Pixel(0, 0), Ground);
  TsMaskData Orphan = S.M.ma[Zero];
  Orphan.Manager = nullptr;
  TBitmap32 C = Target(40, 40);
  PaintMaskBorders(S.M, C, C.BoundsRect(), false, 1, Orphan, TCacheInfo{});
  EXPECT_EQ(C.Pixel(0, 0), Ground);
}

TEST(PaintMaskBorders, KeyCornerPixelsShowTheParentOnlyWithTheCornerFlag) {
  TTestSkin S(6, 12);
  S.DrawFrames(0, 0, 6, 6, 1, true);
  S.Master().Pixel(0, 0) = KeyPixel;
  int I = S.AddImage({0, 0, 6, 12}, 1, 1, 2, 2, 2, 2, 0, 1);
  TBitmap32 Parent(50, 50);
  Parent.Fill(Px(1, 2, 3));
  Parent.Pixel(5, 7) = Px(9, 9, 9);
  TBitmap32 B = Target(10, 10);
  PaintMaskBorders(S.M, B, B.BoundsRect(), true, 0, S.M.ma[I], NewCacheInfo(&Parent, 5, 7));
  EXPECT_EQ(B.Pixel(0, 0), Px(9, 9, 9));
  EXPECT_EQ(B.Pixel(1, 0), FramePx(0, 1, 0));
  TBitmap32 C = Target(10, 10);
  PaintMaskBorders(S.M, C, C.BoundsRect(), false, 0, S.M.ma[I], NewCacheInfo(&Parent, 5, 7));
  EXPECT_NE(C.Pixel(0, 0), Px(9, 9, 9));
}

TEST(PaintMaskBordersWithRegion, CollectsTheKeyRunsOfTheCorners) {
  TTestSkin S(6, 12);
  S.DrawFrames(0, 0, 6, 6, 1, true);
  S.Master().Pixel(0, 0) = S.Master().Pixel(1, 0) = S.Master().Pixel(5, 5) = KeyPixel;
  int I = S.AddImage({0, 0, 6, 12}, 1, 1, 2, 2, 2, 2, 0, 2);
  TBitmap32 B = Target(10, 8);
  std::vector<TRect> Cut;
  PaintMaskBordersWithRegion(S.M, B, Cut, true, 0, S.M.ma[I]);
  EXPECT_EQ(Cut, (std::vector<TRect>{{0, 0, 2, 1}, {9, 7, 10, 8}}));
}

TEST(DrawMaskImage, StateFramesAndNegativeOffsets) {
  TTestSkin S(15, 2);
  S.DrawFrames(0, 0, 5, 2, 3, false);
  int I = S.AddImage({0, 0, 15, 2}, 3, 0, 0, 0, 0, 0, 0);
  TBitmap32 B = Target(8, 3);
  DrawMaskImage(S.M, B, {-3, 0}, 1, TCacheInfo{}, S.M.ma[I], 1);
  EXPECT_EQ(B.Pixel(0, 0), FramePx(1, 3, 0));
  EXPECT_EQ(B.Pixel(1, 1), FramePx(1, 4, 1));
  EXPECT_EQ(B.Pixel(2, 0), Ground);
  DrawMaskImage(S.M, B, {3, 1}, 9, TCacheInfo{}, S.M.ma[I], 1);
  EXPECT_EQ(B.Pixel(3, 1), FramePx(2, 0, 0));
  EXPECT_EQ(B.Pixel(7, 2), FramePx(2, 4, 1));
  // No frames: nothing, and no division by zero.
  int None = S.AddImage({0, 0, 15, 2}, 0, 0, 0, 0, 0, 0, 0);
  TBitmap32 C = Target(8, 3);
  DrawMaskImage(S.M, C, {0, 0}, 1, TCacheInfo{}, S.M.ma[None], 1);
  EXPECT_EQ(C.Pixel(0, 0), Ground);
}

TEST(AddTransparentCornerRects, RunsPerRowLeftCornerFirst) {
  TTestSkin S(20, 20);
  S.DrawFrames(0, 0, 10, 10, 2, true);
  for (int x = 0; x < 3; ++x)
    S.Master().Pixel(x, 0) = KeyPixel;
  S.Master().Pixel(9, 1) = KeyPixel; // right corner of frame 0, row 1
  int I = S.AddImage({0, 0, 20, 20}, 2, 1, 4, 4, 4, 4, 0, 2);
  std::vector<TRect> Rects;
  AddTransparentCornerRects(S.M, Rects, 100, S.M.ma[I], false, 0);
  EXPECT_EQ(Rects, (std::vector<TRect>{{0, 0, 3, 1}, {99, 1, 100, 2}}));
  Rects.clear();
  AddTransparentCornerRects(S.M, Rects, 100, S.M.ma[I], true, 30); // opaque bottom corners
  EXPECT_TRUE(Rects.empty());
  // A band reaching past the image, and a mask without frames: nothing read past the image.
  S.Master().Pixel(0, 12) = KeyPixel;
  int Past = S.AddImage({0, 12, 20, 20}, 2, 0, 4, 9, 4, 4, 0, 2);
  AddTransparentCornerRects(S.M, Rects, 100, S.M.ma[Past], false, 0);
  EXPECT_TRUE(Rects.empty());
  int NoFrames = S.AddImage({0, 0, 20, 20}, 0, 1, 4, 4, 4, 4, 0, 2);
  AddTransparentCornerRects(S.M, Rects, 100, S.M.ma[NoFrames], false, 0);
  EXPECT_EQ(Rects, (std::vector<TRect>{{0, 0, 3, 1}}));
}

TEST(PaintNineSlice, LimitsMakeLShapedCorners) {
  TBitmap32 Src(20, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      Src.Pixel(x, y) = FramePx(0, x, y);
  const int Modes[4] = {nsStretch, nsStretch, nsStretch, nsStretch};
  TBitmap32 B = Target(30, 30);
  PaintNineSlice(B, Src, B.BoundsRect(), false, -1, Modes, {4, 4, 4, 4}, {9, 9, 9, 9},
                 Src.BoundsRect());
  EXPECT_EQ(B.Pixel(8, 3), FramePx(0, 8, 3)); // the 9 x 4 band
  EXPECT_EQ(B.Pixel(3, 8), FramePx(0, 3, 8)); // the 4 x 5 part below it
  EXPECT_EQ(B.Pixel(6, 6), Ground);           // outside the L
  EXPECT_EQ(B.Pixel(29, 29), FramePx(0, 19, 19));
  EXPECT_EQ(B.Pixel(24, 24), Ground);
  TBitmap32 Full = Target(30, 30);
  PaintNineSlice(Full, Src, Full.BoundsRect(), true, nsTile, Modes, {9, 9, 9, 9}, {9, 9, 9, 9},
                 Src.BoundsRect());
  EXPECT_EQ(Full.Pixel(6, 6), FramePx(0, 6, 6));
  EXPECT_EQ(Full.Pixel(9, 9), FramePx(0, 9, 9));  // centre tiled from its first pixel
  EXPECT_EQ(Full.Pixel(11, 9), FramePx(0, 9, 9)); // the source centre is 2 wide
}

TEST(RepaintCornersOver, OnlyTheSelectedCornersOverTheNewBackground) {
  TTestSkin S(12, 12);
  S.DrawFrames(0, 0, 6, 6, 2, true);
  S.Master().Pixel(6, 0) = KeyPixel; // frame 1, top-left corner pixel
  int I = S.AddImage({0, 0, 12, 12}, 2, 1, 2, 2, 2, 2, 0, 1);
  TBitmap32 Cache = Target(10, 10);
  RepaintCornersOver(S.M, Cache, 1, bcTopLeft | bcTopRight, S.M.ma[I], [] {
    TCacheInfo CI;
    CI.FillColor = RGBColor(1, 2, 3);
    return CI;
  }());
  EXPECT_EQ(Cache.Pixel(0, 0), Px(1, 2, 3));
  EXPECT_EQ(Cache.Pixel(1, 1), FramePx(1, 1, 1));
  EXPECT_EQ(Cache.Pixel(9, 0), FramePx(1, 5, 0));
  EXPECT_EQ(Cache.Pixel(0, 9), Ground);
  EXPECT_EQ(Cache.Pixel(9, 9), Ground);
}

TEST(PaintBorderFrameInto, ClientRectangleIsAlwaysSet) {
  TTestSkin S(6, 12);
  S.DrawFrames(0, 0, 6, 6, 1, true);
  int I = S.AddImage({0, 0, 6, 12}, 1, 1, 2, 2, 2, 2, 0);
  TBitmap32 Cache = Target(20, 20);
  TRect Client{-5, -5, -5, -5};
  PaintBorderFrameInto(S.M, Cache, Cache.BoundsRect(), 3, Client, 0, nullptr, clWhite,
                       TCacheInfo{});
  EXPECT_EQ(Client, (TRect{3, 3, 17, 17}));
  EXPECT_EQ(Cache.Pixel(2, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Cache.Pixel(3, 10), Ground);
  PaintBorderFrameInto(S.M, Cache, Cache.BoundsRect(), 0, Client, 0, &S.M.ma[I], clWhite,
                       TCacheInfo{});
  EXPECT_EQ(Client, (TRect{2, 2, 18, 18}));
  EXPECT_EQ(Cache.Pixel(0, 0), FramePx(0, 0, 0));
  PaintBorderFrameInto(S.M, Cache, Cache.BoundsRect(), 4, Client, 0, &S.M.ma[I], clBlack,
                       TCacheInfo{});
  EXPECT_EQ(Client, (TRect{4, 4, 16, 16}));
  EXPECT_EQ(Cache.Pixel(3, 10), 0xFF000000u); // between the band and the extra width
}

} // namespace
