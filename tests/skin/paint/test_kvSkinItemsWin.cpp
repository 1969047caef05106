#include <windows.h>

#include <gtest/gtest.h>

#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "tests/skin/paint/SkinPaintFixture.h"

namespace {

TEST(PaintMaskBordersWithRegion, CutsTheKeyCornerPixelsOutOfTheWindowRegion) {
  TTestSkin S(6, 12);
  S.DrawFrames(0, 0, 6, 6, 1, true);
  S.Master().Pixel(0, 0) = S.Master().Pixel(1, 0) = S.Master().Pixel(5, 5) = KeyPixel;
  int I = S.AddImage({0, 0, 6, 12}, 1, 1, 2, 2, 2, 2, 0, 2);
  TBitmap32 B(10, 8);
  HRGN Rgn = CreateRectRgn(0, 0, 10, 8);
  PaintMaskBordersWithRegion(S.M, B, Rgn, true, 0, S.M.ma[I]);
  EXPECT_FALSE(PtInRegion(Rgn, 0, 0));
  EXPECT_FALSE(PtInRegion(Rgn, 1, 0));
  EXPECT_TRUE(PtInRegion(Rgn, 2, 0));
  EXPECT_FALSE(PtInRegion(Rgn, 9, 7));
  EXPECT_TRUE(PtInRegion(Rgn, 8, 7));
  EXPECT_EQ(B.Pixel(2, 0) & 0xFFFFFF, FramePx(0, 2, 0) & 0xFFFFFF);
  DeleteObject(Rgn);
}

TEST(PaintSectionByName, TakesTheBackgroundFromADeviceContext) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("LABEL", 0x0000FF);
  S.M.gd[Sec].Props[0].Transparency = 100;
  TBitmap32 Source(20, 20);
  Source.Fill(Px(1, 2, 3));
  Source.Pixel(5, 6) = Px(7, 8, 9);
  TBitmap32 B(4, 4);
  EXPECT_EQ(PaintSectionByName(B, "NOSUCH", "LABEL", Source.NativeDC(), {5, 6, 9, 10}, &S.M, 0),
            Sec);
  EXPECT_EQ(B.Pixel(0, 0) & 0xFFFFFF, Px(7, 8, 9) & 0xFFFFFF);
  EXPECT_EQ(B.Pixel(1, 1) & 0xFFFFFF, Px(1, 2, 3) & 0xFFFFFF);
  EXPECT_EQ(PaintSectionByName(B, "NOSUCH", "NOTHER", Source.NativeDC(), {0, 0, 4, 4}, &S.M, 0),
            -1);
}

} // namespace
