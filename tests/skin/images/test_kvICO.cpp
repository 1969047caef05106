// The icon file reader: the directory's checks and the decoding of bitmap and PNG images.
#include <gtest/gtest.h>

#include "skin/images/kvICO.h"
#include "skin/images/kvPNGWrite.h"
#include "tests/skin/images/IcoBuilder.h"

namespace {

void PutAt(std::vector<uint8_t>& F, size_t At, uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i)
    F.at(At + size_t(i)) = uint8_t(V >> (8 * i));
}

std::vector<uint8_t> OneAlphaIcon() {
  return BuildIco({{2, 2, 32, AlphaIcoDib()}});
}

void ExpectDirectoryError(const std::vector<uint8_t>& F) {
  EXPECT_THROW(ReadIconDirectory(F.data(), F.size()), EIconError);
}

} // namespace

TEST(IconDirectory, ReadsEveryEntry) {
  std::vector<uint8_t> F = BuildIco({{2, 2, 32, AlphaIcoDib()}, {0, 0, 8, {1, 2, 3}}}, 2);
  TkvIconDirectory D = ReadIconDirectory(F.data(), F.size());
  EXPECT_EQ(D.Type, IconTypeCursor);
  ASSERT_EQ(D.Entries.size(), 2u);
  EXPECT_EQ(D.Entries[0].Width, 2);
  EXPECT_EQ(D.Entries[0].BitCount, 32);
  EXPECT_EQ(D.Entries[0].ImageOffset, 6u + 32u);
  EXPECT_EQ(D.Entries[1].Width, 256); // a stored 0 means 256
  EXPECT_EQ(D.Entries[1].Height, 256);
  EXPECT_EQ(D.Entries[1].BytesInRes, 3u);
  EXPECT_EQ(D.Entries[1].ImageOffset + 3u, F.size());
}

TEST(IconDirectory, RefusesMalformedHeadersAndEntries) {
  const std::vector<uint8_t> Good = OneAlphaIcon();
  EXPECT_THROW(ReadIconDirectory(nullptr, 0), EIconError);
  ExpectDirectoryError({0, 0, 1, 0, 1});
  auto F = Good;
  PutAt(F, 0, 1, 2); // reserved word
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 2, 3, 2); // type
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 4, 0, 2); // no image
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 4, 2, 2); // a second entry the file does not hold
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 4, 0xFFFF, 2);
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 6 + 8, 0, 4); // empty image
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 6 + 12, 4, 4); // image inside the directory
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 6 + 8, uint32_t(F.size()), 4); // one byte past the end
  ExpectDirectoryError(F);
  F = Good;
  PutAt(F, 6 + 8, 0x20, 4); // offset + size wraps around 32 bits
  PutAt(F, 6 + 12, 0xFFFFFFF0u, 4);
  ExpectDirectoryError(F);
  F = Good;
  F.pop_back();
  ExpectDirectoryError(F);
}

TEST(IconImage, ThirtyTwoBitsKeepTheirAlphaAndRowsComeTopDown) {
  const auto F = OneAlphaIcon();
  TkvIconImage I = DecodeFirstIcon(F.data(), F.size());
  ASSERT_EQ(I.Bmp.Width(), 2);
  ASSERT_EQ(I.Bmp.Height(), 2);
  EXPECT_TRUE(I.HasAlpha);
  EXPECT_FALSE(I.IsPng);
  EXPECT_EQ(I.BitCount, 32);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0x80302010u);
  EXPECT_EQ(I.Bmp.Pixel(1, 1), 0xFF605040u);
}

TEST(IconImage, TheAndMaskClearsPixelsOfImagesWithoutAlpha) {
  TIcoDib D;
  D.Width = D.Height = 2;
  D.Bits = 24;
  D.Rows = {{0, 0, 0xFF, 0, 0, 0xFF}, {0, 0xFF, 0, 0, 0xFF, 0}}; // bottom red, top green
  D.MaskRows = {{0x40}, {0x00}};                                 // bottom row, right pixel clear
  auto F = BuildIco({{2, 2, 24, BuildIcoDib(D)}});
  TkvIconImage I = DecodeFirstIcon(F.data(), F.size());
  EXPECT_FALSE(I.HasAlpha);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(I.Bmp.Pixel(0, 1), 0xFFFF0000u);
  EXPECT_EQ(I.Bmp.Pixel(1, 1), 0u);

  // 32-bit bits whose alpha bytes are all 0 are masked the same way.
  D.Bits = 32;
  D.Rows = {{1, 2, 3, 0, 4, 5, 6, 0}, {7, 8, 9, 0, 10, 11, 12, 0}};
  F = BuildIco({{2, 2, 32, BuildIcoDib(D)}});
  I = DecodeFirstIcon(F.data(), F.size());
  EXPECT_FALSE(I.HasAlpha);
  EXPECT_EQ(I.Bmp.Pixel(0, 1), 0xFF030201u);
  EXPECT_EQ(I.Bmp.Pixel(1, 1), 0u);

  // Without the mask rows every pixel is opaque.
  D.MaskRows.clear();
  F = BuildIco({{2, 2, 32, BuildIcoDib(D)}});
  I = DecodeFirstIcon(F.data(), F.size());
  EXPECT_EQ(I.Bmp.Pixel(1, 1), 0xFF060504u);
}

TEST(IconImage, PalettedImagesUseTheirColourTable) {
  TIcoDib D;
  D.Width = 3;
  D.Height = 1;
  D.Bits = 4;
  D.Palette = {0x000000, 0xFF0000, 0x00FF00};
  D.Rows = {{0x12, 0x00}};
  D.MaskRows = {{0x20}};
  auto F = BuildIco({{3, 1, 4, BuildIcoDib(D)}});
  TkvIconImage I = DecodeFirstIcon(F.data(), F.size());
  EXPECT_EQ(I.BitCount, 4);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(I.Bmp.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(I.Bmp.Pixel(2, 0), 0u);
}

TEST(IconImage, PngImagesAreDecodedWithAlpha) {
  TBitmap32 Src(3, 2);
  Src.Fill(0x80112233u);
  Src.Pixel(2, 1) = 0xFF445566u;
  auto F = BuildIco({{3, 2, 32, EncodePNG(Src)}});
  TkvIconImage I = DecodeFirstIcon(F.data(), F.size());
  EXPECT_TRUE(I.IsPng);
  EXPECT_TRUE(I.HasAlpha);
  ASSERT_EQ(I.Bmp.Width(), 3);
  EXPECT_EQ(I.Bmp.Pixel(0, 0), 0x80112233u);
  EXPECT_EQ(I.Bmp.Pixel(2, 1), 0xFF445566u);

  auto Broken = EncodePNG(Src);
  Broken[20] ^= 0xFF; // IHDR's CRC no longer matches
  F = BuildIco({{3, 2, 32, Broken}});
  EXPECT_THROW(DecodeFirstIcon(F.data(), F.size()), EIconError);
}

TEST(IconImage, RefusesMalformedBitmaps) {
  auto Refused = [](TIcoDib D, uint32_t HeaderSize = 40) {
    auto Data = BuildIcoDib(D);
    PutAt(Data, 0, HeaderSize, 4);
    auto F = BuildIco({{D.Width, D.Height, D.Bits, Data}});
    EXPECT_THROW(DecodeFirstIcon(F.data(), F.size()), EIconError);
  };
  TIcoDib D;
  D.Width = D.Height = 2;
  D.Rows = {std::vector<uint8_t>(8), std::vector<uint8_t>(8)};
  D.MaskRows = {{0}, {0}};
  TIcoDib Odd = D;
  Odd.StoredHeight = 3;
  Refused(Odd);
  TIcoDib Negative = D;
  Negative.StoredHeight = -4;
  Refused(Negative);
  TIcoDib Huge = D;
  Huge.StoredHeight = 2 * (MaxIconSide + 1);
  Refused(Huge);
  TIcoDib BadBits = D;
  BadBits.Bits = 3;
  Refused(BadBits);
  TIcoDib ZeroWidth = D;
  ZeroWidth.Width = 0;
  Refused(ZeroWidth);
  TIcoDib Short = D;
  Short.Rows.pop_back();
  Short.MaskRows.clear();
  Refused(Short);
  Refused(D, 12);   // core headers are not used by icons
  Refused(D, 4096); // a header larger than the image
  // Too short for any header.
  auto F = BuildIco({{2, 2, 32, {40, 0, 0, 0, 2}}});
  EXPECT_THROW(DecodeFirstIcon(F.data(), F.size()), EIconError);
}
