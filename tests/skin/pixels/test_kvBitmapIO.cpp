#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "skin/pixels/kvBitmapIO.h"

namespace {
uint32_t Read32(const std::vector<uint8_t>& D, size_t At) {
  return D[At] | D[At + 1] << 8 | D[At + 2] << 16 | uint32_t(D[At + 3]) << 24;
}

TBitmap32 Sample() {
  TBitmap32 B(3, 2);
  B.Pixel(0, 0) = 0x80112233; // top-left, half transparent
  B.Pixel(2, 1) = 0xFFAABBCC; // bottom-right
  B.Pixel(1, 1) = 0x00FF00FF;
  return B;
}

std::vector<uint8_t> ReadAll(const std::string& Name) {
  std::ifstream F(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(BitmapIO, Bmp32HeaderAndBottomUpRows) {
  std::vector<uint8_t> D = EncodeBmp32(Sample());
  ASSERT_EQ(D.size(), 14u + 124u + 3 * 2 * 4);
  EXPECT_EQ(D[0], 'B');
  EXPECT_EQ(D[1], 'M');
  EXPECT_EQ(Read32(D, 2), D.size());
  EXPECT_EQ(Read32(D, 10), 138u); // pixel data offset
  EXPECT_EQ(Read32(D, 14), 124u); // BITMAPV5HEADER
  EXPECT_EQ(Read32(D, 18), 3u);   // width
  EXPECT_EQ(Read32(D, 22), 2u);   // height, bottom-up
  EXPECT_EQ(D[28], 32);           // bits per pixel
  EXPECT_EQ(Read32(D, 30), 3u);   // BI_BITFIELDS
  EXPECT_EQ(Read32(D, 54), 0x00FF0000u);
  EXPECT_EQ(Read32(D, 66), 0xFF000000u); // alpha mask
  // The bottom row comes first.
  EXPECT_EQ(Read32(D, 138 + 2 * 4), 0xFFAABBCCu);
  EXPECT_EQ(Read32(D, 138 + 1 * 4), 0x00FF00FFu);
  EXPECT_EQ(Read32(D, 138 + 12), 0x80112233u);
}

TEST(BitmapIO, PamIsRgbaTopDown) {
  std::vector<uint8_t> D = EncodePam(Sample());
  std::string Header = "P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  ASSERT_EQ(D.size(), Header.size() + 24);
  EXPECT_EQ(std::string(D.begin(), D.begin() + long(Header.size())), Header);
  const uint8_t* P = D.data() + Header.size();
  EXPECT_EQ(P[0], 0x11);
  EXPECT_EQ(P[1], 0x22);
  EXPECT_EQ(P[2], 0x33);
  EXPECT_EQ(P[3], 0x80);
  EXPECT_EQ(P[20], 0xAA);
  EXPECT_EQ(P[23], 0xFF);
}

TEST(BitmapIO, SaveWritesTheBytesAndReportsFailure) {
  std::string Name = ::testing::TempDir() + "kvbitmapio_test.bmp";
  SaveBmp32(Sample(), Name);
  EXPECT_EQ(ReadAll(Name), EncodeBmp32(Sample()));
  std::remove(Name.c_str());
  EXPECT_THROW(SaveBmp32(Sample(), ::testing::TempDir() + "no/such/dir/x.bmp"), std::runtime_error);
  EXPECT_THROW(SavePam(Sample(), ::testing::TempDir() + "no/such/dir/x.pam"), std::runtime_error);
}

#ifndef _WIN32
// ImageMagick as an independent reader of the BMP, when it is installed.
TEST(BitmapIO, ImageMagickReadsColoursAndAlpha) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  std::string Bmp = ::testing::TempDir() + "kvbitmapio_im.bmp";
  std::string Raw = ::testing::TempDir() + "kvbitmapio_im.rgba";
  TBitmap32 B = Sample();
  SaveBmp32(B, Bmp);
  std::string Cmd = "convert '" + Bmp + "' -depth 8 'rgba:" + Raw + "' 2>/dev/null";
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  std::vector<uint8_t> D = ReadAll(Raw);
  ASSERT_EQ(D.size(), 24u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      uint32_t P = B.Pixel(x, y);
      const uint8_t* Q = D.data() + (y * 3 + x) * 4;
      EXPECT_EQ(Q[0], (P >> 16) & 0xFF);
      EXPECT_EQ(Q[1], (P >> 8) & 0xFF);
      EXPECT_EQ(Q[2], P & 0xFF);
      EXPECT_EQ(Q[3], P >> 24) << x << "," << y;
    }
  std::remove(Bmp.c_str());
  std::remove(Raw.c_str());
}
#endif
