// The platform-free half of the alpha image list: format detection, decoding of item data,
// the keyed and alpha icon rules, FixMissingAlpha and resizing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "skin/images/kvAlphaImageListCore.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/pixels/kvBitmapIO.h"
#include "tests/skin/images/IcoBuilder.h"

namespace {

std::vector<uint8_t> Png(const TBitmap32& Bmp) {
  return EncodePNG(Bmp);
}
const std::vector<uint8_t> PngSig = {137, 80, 78, 71, 13, 10, 26, 10};

bool Detect(std::vector<uint8_t> Bytes, const char* Name, TsImageFormat& F) {
  return DetectImageFormat(Bytes.data(), Bytes.size(), Name, F);
}

} // namespace

TEST(DetectImageFormat, SignatureThenExtension) {
  TsImageFormat F = ifBMP32;
  auto P = PngSig;
  P.push_back(0);
  EXPECT_TRUE(Detect(P, "glyph.ico", F)); // a PNG named .ico is a PNG
  EXPECT_EQ(F, ifPNG);
  EXPECT_FALSE(Detect(PngSig, "glyph.png", F)); // not longer than the signature
  EXPECT_TRUE(Detect({0, 0, 1}, "A.ICO", F));
  EXPECT_EQ(F, ifICO);
  F = ifPNG;
  EXPECT_FALSE(Detect({0, 0, 2}, "arrow.cur", F)); // zero bytes with another extension
  EXPECT_FALSE(Detect({0, 0}, "a.ico", F));
  EXPECT_EQ(F, ifPNG);
  EXPECT_TRUE(Detect({'B', 'M', 0}, "a.dat", F));
  EXPECT_EQ(F, ifBMP32);
  EXPECT_FALSE(Detect({'B', 'M'}, "a.bmp", F));
  EXPECT_FALSE(Detect({'G', 'I', 'F', '8'}, "a.gif", F));
  EXPECT_FALSE(DetectImageFormat(nullptr, 0, "a.png", F));
}

TEST(DetectImageFormat, ReadsTheFileHead) {
  const auto Path = std::filesystem::temp_directory_path() / "tv_detect_test.Ico";
  {
    std::ofstream Out(Path, std::ios::binary);
    Out.write("\0\0\1\0\1\0", 6);
  }
  TsImageFormat F = ifPNG;
  EXPECT_TRUE(DetectImageFormat(Path, F));
  EXPECT_EQ(F, ifICO);
  std::filesystem::remove(Path);
  EXPECT_FALSE(DetectImageFormat(Path, F));
}

TEST(DecodeListImage, PicturesWithoutAlphaGetTheBottomLeftColourClear) {
  // An RGB bitmap file: bottom-left white is the clear colour, the rest opaque.
  TBitmap32 Src(2, 2);
  Src.Fill(0xFFFFFFFFu);
  Src.Pixel(1, 0) = 0xFF0000FFu;
  std::vector<uint8_t> Bmp = {'B', 'M'};
  PutLE(Bmp, 14 + 40 + 16, 4);
  PutLE(Bmp, 0, 4);
  PutLE(Bmp, 54, 4);
  PutLE(Bmp, 40, 4);
  PutLE(Bmp, 2, 4);
  PutLE(Bmp, 2, 4);
  PutLE(Bmp, 1, 2);
  PutLE(Bmp, 24, 2);
  for (int i = 0; i < 6; ++i)
    PutLE(Bmp, 0, 4);
  for (int y = 1; y >= 0; --y) {
    for (int x = 0; x < 2; ++x)
      PutLE(Bmp, Src.Pixel(x, y) & 0xFFFFFF, 3);
    PutLE(Bmp, 0, 2);
  }
  TkvListImage I = DecodeListImage(ifBMP32, Bmp.data(), Bmp.size());
  EXPECT_EQ(I.BitCount, 24);
  EXPECT_EQ(I.Bmp.Pixel(0, 1), 0x00FFFFFFu);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(I.Bmp.Pixel(1, 0), 0xFF0000FFu);

  // A 32-bit PNG keeps its alpha exactly.
  Src.Fill(0x40102030u);
  auto P = Png(Src);
  I = DecodeListImage(ifPNG, P.data(), P.size());
  EXPECT_EQ(I.BitCount, 32);
  EXPECT_EQ(I.Bmp.Pixel(1, 1), 0x40102030u);

  auto Ico = BuildIco({{2, 2, 32, AlphaIcoDib()}});
  I = DecodeListImage(ifICO, Ico.data(), Ico.size());
  EXPECT_TRUE(I.HasAlpha);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0x80302010u);
  P.resize(20);
  EXPECT_ANY_THROW(DecodeListImage(ifPNG, P.data(), P.size()));
}

TEST(IconRules, KeyedMaskFollowsTheTopLeftWord) {
  TBitmap32 B(17, 2); // wider than one 16-bit mask word
  B.Fill(0xFF00FF00u);
  B.Pixel(0, 0) = 0x00FF00FFu;
  B.Pixel(16, 1) = 0x00FF00FFu;
  B.Pixel(3, 0) = 0xFFFF00FFu; // the same colour with another alpha is not the key
  TkvMonoMask M = MakeKeyedMask(B);
  EXPECT_EQ(M.Stride, 4u);
  EXPECT_TRUE(M.IsSet(0, 0));
  EXPECT_TRUE(M.IsSet(16, 1));
  EXPECT_FALSE(M.IsSet(3, 0));
  EXPECT_FALSE(M.IsSet(1, 0));
  EXPECT_TRUE(MakeKeyedMask(TBitmap32()).Bits.empty());
}

TEST(IconRules, AlphaColoursAndMask) {
  TBitmap32 B(3, 1);
  B.Pixel(0, 0) = 0x00FF00FFu; // fuchsia
  B.Pixel(1, 0) = 0x00123456u;
  B.Pixel(2, 0) = 0x80FF00FFu;
  TBitmap32 Plain = MakeAlphaColors(B, false);
  EXPECT_EQ(Plain.Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(Plain.Pixel(1, 0), 0xFF123456u);
  EXPECT_EQ(Plain.Pixel(2, 0), 0x00FF00FFu);
  TBitmap32 Kept = MakeAlphaColors(B, true);
  EXPECT_EQ(Kept.Pixel(2, 0), 0x80FF00FFu);
  TkvMonoMask M = MakeAlphaMask(Kept);
  EXPECT_TRUE(M.IsSet(0, 0));
  EXPECT_TRUE(M.IsSet(1, 0));
  EXPECT_FALSE(M.IsSet(2, 0));
}

TEST(FixMissingAlpha, OnlyBitmapsWithoutAnyAlpha) {
  TBitmap32 B(2, 2);
  B.Fill(0x00FF00FFu);
  B.Pixel(1, 0) = 0x00000001u;
  B.Pixel(0, 0) = 0x00FF00FEu;
  FixMissingAlpha(B);
  EXPECT_EQ(B.Pixel(0, 1), 0x00FF00FFu); // bottom-left colour stays clear
  EXPECT_EQ(B.Pixel(1, 1), 0x00FF00FFu);
  EXPECT_EQ(B.Pixel(1, 0), 0xFF000001u);
  EXPECT_EQ(B.Pixel(0, 0), 0xFFFF00FEu);

  TBitmap32 WithAlpha(2, 1);
  WithAlpha.Pixel(1, 0) = 0x01000000u;
  FixMissingAlpha(WithAlpha);
  EXPECT_EQ(WithAlpha.Pixel(0, 0), 0u);
  TBitmap32 Empty;
  FixMissingAlpha(Empty); // nothing to read
  EXPECT_TRUE(Empty.IsEmpty());
}

TEST(ResizeBitmap32, MitchellWithGuardsForTinyAndEmptySources) {
  TBitmap32 Src(32, 32);
  Src.Fill(0x80405060u);
  for (int y = 0; y < 32; ++y)
    for (int x = 16; x < 32; ++x)
      Src.Pixel(x, y) = 0xFF000000u;
  TBitmap32 Dst;
  ASSERT_TRUE(ResizeBitmap32(Src, Dst, 16, 16));
  ASSERT_EQ(Dst.Width(), 16);
  EXPECT_EQ(Dst.Pixel(0, 8), 0x80405060u); // flat areas keep their value
  EXPECT_EQ(Dst.Pixel(15, 8), 0xFF000000u);
  // The Mitchell filter overshoots slightly at the edge: the pixels next to it are neither.
  const uint32_t Edge = Dst.Pixel(7, 8);
  EXPECT_NE(Edge, 0x80405060u);
  EXPECT_NE(Edge, 0xFF000000u);

  TBitmap32 Line(1, 3);
  Line.Pixel(0, 0) = 1;
  Line.Pixel(0, 1) = 2;
  Line.Pixel(0, 2) = 3;
  ASSERT_TRUE(ResizeBitmap32(Line, Dst, 4, 6));
  EXPECT_EQ(Dst.Pixel(3, 0), 1u);
  EXPECT_EQ(Dst.Pixel(0, 3), 2u);
  EXPECT_EQ(Dst.Pixel(2, 5), 3u);
  TBitmap32 One(1, 1);
  One.Pixel(0, 0) = 0xFF112233u;
  ASSERT_TRUE(ResizeBitmap32(One, Dst, 2, 2));
  EXPECT_EQ(Dst.Pixel(1, 1), 0xFF112233u);

  TBitmap32 Kept = Dst;
  EXPECT_FALSE(ResizeBitmap32(TBitmap32(), Dst, 4, 4));
  EXPECT_FALSE(ResizeBitmap32(Src, Dst, 0, 4));
  EXPECT_TRUE(Dst.SameSize(Kept));
}

TEST(EncodeBmp32, RoundTripsThroughTheItemDecoderWithAlpha) {
  TBitmap32 B(3, 2);
  B.Fill(0x80102030u);
  B.Pixel(2, 1) = 0x00FF00FFu;
  B.Pixel(0, 0) = 0xFF000000u;
  const std::vector<uint8_t> File = EncodeBmp32(B);
  TkvListImage I = DecodeListImage(ifBMP32, File.data(), File.size());
  EXPECT_EQ(I.BitCount, 32);
  ASSERT_TRUE(I.Bmp.SameSize(B));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(I.Bmp.Pixel(x, y), B.Pixel(x, y)) << x << "," << y;
}
