#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Bitmap32.h"

TEST(Bitmap32, NewBitmapIsZeroAndTopDown) {
  TBitmap32 Bmp(3, 2);
  ASSERT_EQ(Bmp.Width(), 3);
  ASSERT_EQ(Bmp.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Bmp.Pixel(x, y), 0u);
  Bmp.Pixel(2, 0) = 0x11223344;
  EXPECT_EQ(Bmp.Bits()[2], 0x11223344u); // row 0 comes first in memory
  EXPECT_EQ(Bmp.ScanLine(1), Bmp.Bits() + 3);
}

TEST(Bitmap32, CopyMoveAndResize) {
  TBitmap32 A(2, 2);
  A.Fill(0xFF102030);
  TBitmap32 B = A;
  B.Pixel(0, 0) = 1;
  EXPECT_EQ(A.Pixel(0, 0), 0xFF102030u);
  TBitmap32 C = std::move(B);
  EXPECT_EQ(C.Pixel(0, 0), 1u);
  EXPECT_TRUE(B.IsEmpty());
  C.SetSize(4, 1);
  EXPECT_EQ(C.Width(), 4);
  EXPECT_EQ(C.Pixel(3, 0), 0u);
  TBitmap32 Empty(0, 5);
  EXPECT_TRUE(Empty.IsEmpty());
}

TEST(Bitmap32, RefusesAbsurdSizes) {
  EXPECT_THROW(TBitmap32(-1, 4), std::length_error);
  EXPECT_THROW(TBitmap32(MaxBitmapSide + 1, 1), std::length_error);
  EXPECT_THROW(TBitmap32(30000, 30000), std::length_error);
}

TEST(Colors, PixelOrderAndSystemColors) {
  EXPECT_EQ(ColorToPixel(0x00332211), 0x00112233u);
  EXPECT_EQ(ColorToPixel(clFuchsia), 0x00FF00FFu);
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
  EXPECT_EQ(ColorToRGB(clWindow) & 0xFF000000u, 0u);
  EXPECT_EQ((TRect{0, 0, 4, 4}.Intersected({2, -1, 9, 3})), (TRect{2, 0, 4, 3}));
  EXPECT_TRUE(TRect{}.Intersected({1, 1, 2, 2}).IsEmpty());
}
