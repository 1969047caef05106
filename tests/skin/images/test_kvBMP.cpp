#include <gtest/gtest.h>

#include "skin/images/kvBMP.h"
#include "tests/skin/images/BmpBuilder.h"

namespace {

constexpr uint32_t Px(uint8_t R, uint8_t G, uint8_t B, uint8_t A = 255) {
  return uint32_t(B) | uint32_t(G) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
}

TBitmap32 Decode(const std::vector<uint8_t>& Bytes, TkvBmpInfo* Info = nullptr) {
  return DecodeBmp(Bytes.data(), Bytes.size(), Info);
}

} // namespace

TEST(kvBMP, TwentyFourBitsBottomUpAndTopDown) {
  auto Bytes = Bmp24(3, 2, [](int x, int y) { return RGBColor(x * 10, y * 100, 7); });
  TkvBmpInfo Info;
  TBitmap32 Bmp = Decode(Bytes, &Info);
  EXPECT_EQ(Info.BitCount, 24);
  ASSERT_EQ(Bmp.Width(), 3);
  ASSERT_EQ(Bmp.Height(), 2);
  EXPECT_EQ(Bmp.Pixel(0, 0), Px(0, 0, 7));
  EXPECT_EQ(Bmp.Pixel(2, 1), Px(20, 100, 7));

  TBmpBuild B;
  B.Width = 1;
  B.Height = 2;
  B.TopDown = true;
  B.Rows = {{1, 2, 3}, {4, 5, 6}};
  TBitmap32 Top = Decode(BuildBmp(B));
  EXPECT_EQ(Top.Pixel(0, 0), Px(3, 2, 1)); // the first stored row is the top one
  EXPECT_EQ(Top.Pixel(0, 1), Px(6, 5, 4));
}

TEST(kvBMP, PalettedDepths) {
  TBmpBuild B;
  B.Width = 9;
  B.Height = 1;
  B.Bits = 1;
  B.Palette = {0x000000, 0xFF00FF};
  B.Rows = {{0b10100000, 0b10000000}};
  TBitmap32 One = Decode(BuildBmp(B));
  EXPECT_EQ(One.Pixel(0, 0), Px(0xFF, 0, 0xFF));
  EXPECT_EQ(One.Pixel(1, 0), Px(0, 0, 0));
  EXPECT_EQ(One.Pixel(2, 0), Px(0xFF, 0, 0xFF));
  EXPECT_EQ(One.Pixel(8, 0), Px(0xFF, 0, 0xFF));

  B.Bits = 4;
  B.Width = 3;
  B.Palette = {0x000000, 0x102030, 0x405060};
  B.Rows = {{0x12, 0x00}};
  TBitmap32 Four = Decode(BuildBmp(B));
  EXPECT_EQ(Four.Pixel(0, 0), Px(0x10, 0x20, 0x30));
  EXPECT_EQ(Four.Pixel(1, 0), Px(0x40, 0x50, 0x60));

  // An index beyond the colour table reads as black, never outside the table.
  B.Bits = 8;
  B.Width = 2;
  B.Palette = {0x112233};
  B.Rows = {{0, 200}};
  TBitmap32 Eight = Decode(BuildBmp(B));
  EXPECT_EQ(Eight.Pixel(0, 0), Px(0x11, 0x22, 0x33));
  EXPECT_EQ(Eight.Pixel(1, 0), Px(0, 0, 0));

  // Core header with 3-byte palette entries.
  TBmpBuild C;
  C.HeaderSize = 12;
  C.Bits = 8;
  C.Width = 1;
  C.Palette = {0x0000FF, 0x00FF00};
  C.Rows = {{1}};
  EXPECT_EQ(Decode(BuildBmp(C)).Pixel(0, 0), Px(0, 0xFF, 0));
}

TEST(kvBMP, SixteenAndThirtyTwoBitsWithAndWithoutFields) {
  TBmpBuild B;
  B.Bits = 16;
  B.Width = 2;
  B.Rows = {{0x00, 0x7C, 0x1F, 0x00}}; // 555: pure red, pure blue
  TBitmap32 Plain = Decode(BuildBmp(B));
  EXPECT_EQ(Plain.Pixel(0, 0), Px(255, 0, 0));
  EXPECT_EQ(Plain.Pixel(1, 0), Px(0, 0, 255));

  B.Compression = 3; // 565 bit fields
  B.Masks = {0xF800, 0x07E0, 0x001F};
  B.Rows = {{0xE0, 0x07, 0x00, 0xF8}};
  TBitmap32 Fields = Decode(BuildBmp(B));
  EXPECT_EQ(Fields.Pixel(0, 0), Px(0, 255, 0));
  EXPECT_EQ(Fields.Pixel(1, 0), Px(255, 0, 0));

  TBmpBuild C;
  C.Bits = 32;
  C.Rows = {{1, 2, 3, 4}};
  EXPECT_EQ(Decode(BuildBmp(C)).Pixel(0, 0), Px(3, 2, 1, 4)); // the fourth byte is kept

  C.Compression = 3;
  C.HeaderSize = 108;
  C.Masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
  C.Rows = {{9, 1, 2, 3}};
  EXPECT_EQ(Decode(BuildBmp(C)).Pixel(0, 0), Px(1, 2, 3, 9));
}

TEST(kvBMP, RunLengthEncoded) {
  TBmpBuild B;
  B.Bits = 8;
  B.Compression = 1;
  B.Width = 4;
  B.Height = 2;
  B.Palette = {0x000000, 0x0000FF, 0x00FF00};
  // Bottom row: 3 x index 1, then absolute run of 1 pixel is not allowed (< 3), use run 1 x 2.
  B.Raw = {3, 1, 1, 2, 0, 0, 0, 3, 2, 1, 0, 0, 0, 1};
  TBitmap32 Bmp = Decode(BuildBmp(B));
  EXPECT_EQ(Bmp.Pixel(0, 1), Px(0, 0, 0xFF));
  EXPECT_EQ(Bmp.Pixel(3, 1), Px(0, 0xFF, 0));
  EXPECT_EQ(Bmp.Pixel(0, 0), Px(0, 0xFF, 0)); // absolute run 2, 1, 0
  EXPECT_EQ(Bmp.Pixel(1, 0), Px(0, 0, 0xFF));
  EXPECT_EQ(Bmp.Pixel(3, 0), Px(0, 0, 0)); // not reached

  B.Bits = 4;
  B.Compression = 2;
  B.Height = 1;
  B.Raw = {4, 0x12, 0, 1};
  TBitmap32 Four = Decode(BuildBmp(B));
  EXPECT_EQ(Four.Pixel(0, 0), Px(0, 0, 0xFF));
  EXPECT_EQ(Four.Pixel(1, 0), Px(0, 0xFF, 0));
  EXPECT_EQ(Four.Pixel(2, 0), Px(0, 0, 0xFF));

  // A delta that jumps past the end and runs that overflow the row stay inside the bitmap.
  B.Raw = {0, 2, 200, 200, 255, 0x11, 0, 1};
  EXPECT_NO_THROW(Decode(BuildBmp(B)));
}

TEST(kvBMP, EveryTruncationFailsCleanly) {
  TBmpBuild B;
  B.Bits = 8;
  B.Width = 5;
  B.Height = 3;
  B.Palette = {0x000000, 0xFFFFFF};
  B.Rows = {{0, 1, 0, 1, 0}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}};
  std::vector<uint8_t> Full = BuildBmp(B);
  ASSERT_NO_THROW(Decode(Full));
  // The padding of the last row may be missing; anything shorter must fail.
  size_t Needed = Full.size() - 3;
  for (size_t Len = 0; Len < Needed; ++Len) {
    std::vector<uint8_t> Part(Full.begin(), Full.begin() + ptrdiff_t(Len));
    EXPECT_THROW(Decode(Part), EBmpError) << "length " << Len;
  }
  EXPECT_NO_THROW(Decode(std::vector<uint8_t>(Full.begin(), Full.begin() + ptrdiff_t(Needed))));
}

TEST(kvBMP, RefusesAbsurdAndMalformedHeaders) {
  TBmpBuild B;
  B.Width = MaxBmpSide + 1;
  B.Rows = {{0, 0, 0}};
  try {
    Decode(BuildBmp(B));
    FAIL() << "accepted a width over the limit";
  } catch (const EBmpError& E) {
    EXPECT_NE(std::string(E.what()).find("too large"), std::string::npos);
  }
  B.Width = 2;
  B.Height = -0x7FFFFFFF;
  EXPECT_THROW(Decode(BuildBmp(B)), EBmpError);
  B.Height = 0;
  EXPECT_THROW(Decode(BuildBmp(B)), EBmpError);
  B.Height = 1;
  B.Bits = 7;
  EXPECT_THROW(Decode(BuildBmp(B)), EBmpError);
  B.Bits = 24;
  B.Compression = 4; // an embedded JPEG is well formed but not ours to decode
  EXPECT_THROW(Decode(BuildBmp(B)), EBmpUnsupported);
  B.Compression = 0;
  B.HeaderSize = 33;
  EXPECT_THROW(Decode(BuildBmp(B)), EBmpError);
  const std::vector<uint8_t> NotBmp{'P', 'K', 3, 4};
  EXPECT_THROW(Decode(NotBmp), EBmpError);
}
