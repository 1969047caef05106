// The built-in shadow images: the committed PNGs are what the generator draws, they decode
// into soft black shadows, and (on Windows) they load from the program's resources.
#include <gtest/gtest.h>

#include <cstring>

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/images/kvShadows.h"
#include "skin/images/shadows/kvShadowArt.h"
#include "tests/skin/images/TestData.h"

namespace {

TBitmap32 DecodeCommitted(const char* Name) {
  const std::vector<uint8_t> Bytes =
      ReadTestFile(SourcePath(std::string("skin/images/shadows/") + Name));
  EXPECT_FALSE(Bytes.empty()) << Name;
  return DecodeShadowImage(Bytes.data(), Bytes.size());
}

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.SameSize(B) && std::memcmp(A.Bits(), B.Bits(), A.ByteSize()) == 0;
}

} // namespace

TEST(Shadows, CommittedImagesAreTheGeneratorsOutput) {
  EXPECT_TRUE(SamePixels(DecodeCommitted("kvSHDA.png"), DrawShadowImage(true)));
  EXPECT_TRUE(SamePixels(DecodeCommitted("kvSHDI.png"), DrawShadowImage(false)));
}

TEST(Shadows, SoftBlackBandAroundTheWindow) {
  for (bool Active : {true, false}) {
    const TBitmap32 Bmp = DecodeCommitted(Active ? "kvSHDA.png" : "kvSHDI.png");
    ASSERT_EQ(Bmp.Width(), 32);
    ASSERT_EQ(Bmp.Height(), 32);
    EXPECT_EQ(Bmp.Pixel(0, 0), 0u); // fully transparent outside
    const uint32_t Centre = Bmp.Pixel(16, 16);
    EXPECT_EQ(Centre & 0xFFFFFF, 0u); // black
    EXPECT_GT(Centre >> 24, 40u);
    // Alpha falls off from the window's edge outwards, more slowly below than above.
    for (int X = 1; X < DefaultShadowMargin; ++X)
      EXPECT_LE(Bmp.Pixel(X - 1, 16) >> 24, Bmp.Pixel(X, 16) >> 24);
    EXPECT_GE(Bmp.Pixel(16, 26) >> 24, Bmp.Pixel(16, 5) >> 24);
  }
  EXPECT_GT(DecodeCommitted("kvSHDA.png").Pixel(16, 16) >> 24,
            DecodeCommitted("kvSHDI.png").Pixel(16, 16) >> 24);
}

TEST(Shadows, TransparentWhiteIsCleared) {
  TBitmap32 White(1, 1);
  White.Pixel(0, 0) = 0x00FFFFFF;
  const std::vector<uint8_t> Png = EncodePNG(White);
  EXPECT_EQ(DecodeShadowImage(Png.data(), Png.size()).Pixel(0, 0), 0u);
  EXPECT_THROW(DecodeShadowImage(Png.data(), 10), EInvalidGraphic);
}

#ifdef _WIN32
TEST(Shadows, LoadFromResources) {
  EXPECT_TRUE(SamePixels(LoadShadowResource(L"kvSHDA"), DrawShadowImage(true)));
  EXPECT_TRUE(SamePixels(LoadShadowResource(L"kvSHDI"), DrawShadowImage(false)));
  EXPECT_TRUE(LoadShadowResource(L"kvNONE").IsEmpty());
}
#endif
