// Image lists.
#include <gtest/gtest.h>

#include "toolkit/ImgList.h"

namespace {

TBitmap32 Filled(int W, int H, uint32_t P) {
  TBitmap32 B(W, H);
  B.Fill(P);
  return B;
}

} // namespace

TEST(ImageList, KeepsImagesOfItsSizeOnly) {
  TImageList L(nullptr, 4, 3);
  EXPECT_TRUE(L.Add(Filled(4, 3, 0xFF102030)));
  EXPECT_FALSE(L.Add(Filled(3, 3, 0xFF102030)));
  EXPECT_EQ(L.Count(), 1);
  EXPECT_EQ(L.Width(), 4);
  EXPECT_EQ(L.Height(), 3);
}

TEST(ImageList, DrawsWithAlphaClippedAndGrayWhenDisabled) {
  TImageList L(nullptr, 2, 1);
  TBitmap32 Img(2, 1);
  Img.Pixel(0, 0) = 0xFFC80000; // opaque red 200
  Img.Pixel(1, 0) = 0x00FFFFFF; // transparent
  L.Add(Img);
  TBitmap32 Dst = Filled(3, 1, 0xFF000064); // blue 100
  L.Draw(Dst, 1, 0, 0, true);
  EXPECT_EQ(Dst.Pixel(0, 0), 0xFF000064u);
  EXPECT_EQ(Dst.Pixel(1, 0), 0xFFC80000u);
  EXPECT_EQ(Dst.Pixel(2, 0), 0xFF000064u) << "a transparent pixel leaves what is under it";
  Dst.Fill(0xFF000000);
  L.Draw(Dst, 0, 0, 0, false);
  // Gray (200 / 3 = 66) at half opacity over black: (66 * 127 + 127) / 255 = 33.
  EXPECT_EQ(Dst.Pixel(0, 0), 0xFF212121u);
  Dst.Fill(0xFF000000);
  L.Draw(Dst, -1, 0, 0, true);
  L.Draw(Dst, 2, 0, 0, true);
  L.Draw(Dst, 0, 0, 5, true);
  EXPECT_EQ(Dst.Pixel(0, 0), 0xFF000000u) << "outside the bitmap and the list nothing is drawn";
  EXPECT_EQ(Dst.Pixel(2, 0), 0xFFC80000u);
}
