// The skin loader with the picture readers installed: PNG images of packed skins in both builds,
// JPEG pictures where the platform decodes them.
#include <gtest/gtest.h>

#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/images/kvSkinPictures.h"
#include "tests/skin/data/SkinFixture.h"
#include "tests/skin/images/TestData.h"

namespace {

std::unique_ptr<TkvSkinConvertor> Pack(const std::string& Options,
                                       std::vector<TkvPackMember> Images) {
  Images.insert(Images.begin(), {"Options.dat", Bytes(Options)});
  auto R = std::make_unique<TkvSkinConvertor>();
  R->SetPackedData(std::make_unique<TMemoryStream>(PackSkinMembers(Images)));
  UnpackSkinPackage(R);
  return R;
}

TsSkinModel Load(const std::string& Options, std::vector<TkvPackMember> Images) {
  InstallSkinPictureReaders();
  auto R = Pack(Options, std::move(Images));
  TsSkinModel M;
  M.CollectProblems = true;
  M.LoadPackedSkin(*R);
  return M;
}

bool HasProblem(const TsSkinModel& M, const std::string& Part) {
  for (const std::string& P : M.Problems)
    if (P.find(Part) != std::string::npos) return true;
  return false;
}

// 12 x 8: opaque red on the left half, half-transparent white (0x80) on the right.
std::vector<uint8_t> GlyphPng() {
  TBitmap32 Bmp(12, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x)
      Bmp.Pixel(x, y) = x < 6 ? 0xFFFF0000u : 0x80FFFFFFu;
  return EncodePNG(Bmp);
}

} // namespace

TEST(SkinPictures, PngImageOfAPackedSkin) {
  TsSkinModel M = Load("[GLOBALINFO]\nVERSION=8.00\n[BUTTON]\nGLYPHMASK=!GLYPH.PNG!2!0\n"
                       "[BROKEN]\nGLYPHMASK=!BROKEN.PNG!1!0\n",
                       {{"Glyph.png", GlyphPng()},
                        {"Broken.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0}}});
  int i = M.GetMaskIndex("BUTTON", "GLYPHMASK");
  ASSERT_GE(i, 0);
  const TsMaskData& G = M.ma[size_t(i)];
  ASSERT_TRUE(G.Bmp);
  EXPECT_EQ(G.R, Rect(0, 0, 12, 8));
  EXPECT_EQ(G.ImageCount, 2);
  // Premultiplied for a skin of version 8: channel * alpha >> 8.
  EXPECT_EQ(G.Bmp->Pixel(0, 0), 0xFFFE0000u);
  EXPECT_EQ(G.Bmp->Pixel(11, 7), 0x807F7F7Fu);
  // A PNG that cannot be read adds no record and says why.
  EXPECT_EQ(M.GetMaskIndex("BROKEN", "GLYPHMASK"), -1);
  EXPECT_TRUE(HasProblem(M, "Section [BROKEN], key GLYPHMASK: image BROKEN.PNG: "));

  // Old skins keep the colours and clear transparent white instead.
  TsSkinModel Old = Load("[GLOBALINFO]\nVERSION=7.40\n[BUTTON]\nGLYPHMASK=!GLYPH.PNG!2!0\n",
                         {{"Glyph.png", GlyphPng()}});
  ASSERT_GE(Old.GetMaskIndex("BUTTON", "GLYPHMASK"), 0);
  EXPECT_EQ(Old.ma[size_t(Old.GetMaskIndex("BUTTON", "GLYPHMASK"))].Bmp->Pixel(11, 7), 0x80FFFFFFu);
}

TEST(SkinPictures, JpegPictures) {
  std::vector<uint8_t> Jpeg = ReadTestFile(SourcePath("tests/skin/images/data/baseline.jpg"));
  ASSERT_FALSE(Jpeg.empty());
  TsSkinModel M = Load("[GLOBALINFO]\nVERSION=8.00\n[FORM]\nPATTERN=BACK.JPG\n"
                       "HOTPATTERN=BAD.JPG\n",
                       {{"Back.jpg", Jpeg}, {"Bad.jpg", Bytes("not a picture")}});
  EXPECT_TRUE(M.pa.empty()); // 48 x 32 is small enough for a texture
#ifdef _WIN32
  int i = M.GetMaskIndex("FORM", "PATTERN");
  ASSERT_GE(i, 0);
  const TsMaskData& T = M.ma[size_t(i)];
  EXPECT_EQ(T.ImgType, itisaTexture);
  EXPECT_EQ(T.R, Rect(0, 0, 48, 32));
  EXPECT_EQ(T.Bmp->Pixel(10, 10) >> 24, 255u);
  EXPECT_EQ(M.gd[size_t(M.GetSkinIndex("FORM"))].TextureNormal, i);
  EXPECT_EQ(M.GetMaskIndex("FORM", "HOTPATTERN"), -1);
  EXPECT_TRUE(HasProblem(M, "image BAD.JPG is not a readable JPEG file"));
#else
  // Without a picture loader a JPEG key adds no record.
  EXPECT_EQ(M.GetMaskIndex("FORM", "PATTERN"), -1);
  EXPECT_EQ(M.GetMaskIndex("FORM", "HOTPATTERN"), -1);
#endif
}
