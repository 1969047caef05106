#include <gtest/gtest.h>

#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "tests/skin/data/SkinFixture.h"

namespace {

std::unique_ptr<TkvSkinConvertor> Pack(const std::string& Options,
                                       std::vector<TkvPackMember> Images = {}) {
  Images.insert(Images.begin(), {"Options.dat", Bytes(Options)});
  auto R = std::make_unique<TkvSkinConvertor>();
  R->SetPackedData(std::make_unique<TMemoryStream>(PackSkinMembers(Images)));
  UnpackSkinPackage(R);
  return R;
}

const std::string kGlobal = "[GLOBALINFO]\nVERSION=8.00\nMASTERBITMAP=MASTER.BMP\n";

TsSkinModel Load(const std::string& Options, std::vector<TkvPackMember> Images = {},
                 bool Collect = true) {
  Images.push_back({"Master.bmp", MasterBmp()});
  auto R = Pack(Options, Images);
  TsSkinModel M;
  M.CollectProblems = Collect;
  M.LoadPackedSkin(*R);
  return M;
}

const TsMaskData& Mask(const TsSkinModel& M, const char* Section, const char* Key) {
  int i = M.GetMaskIndex(Section, Key);
  EXPECT_GE(i, 0) << Section << " " << Key;
  return M.ma.at(size_t(i));
}

std::string ErrorOf(const std::string& Value) {
  try {
    ParseImageDefinition("SEC", "KEY", Value);
  } catch (const ESkinDataError& E) {
    return E.what();
  }
  return "";
}

} // namespace

TEST(sMaskData, FixedColumnNotations) {
  TkvImageDefinition G =
      ParseImageDefinition("GLOBALINFO", "BOXCHECKED", "@0051@0000@0102@0016@3@0");
  EXPECT_EQ(G.Notation, inGlyph);
  EXPECT_EQ(G.Mask.R, Rect(51, 0, 102, 16));
  EXPECT_EQ(G.Mask.ImageCount, 3);
  EXPECT_EQ(G.Mask.MaskType, 0);
  EXPECT_EQ(FrameWidth(G.Mask), 17);
  EXPECT_EQ(FrameHeight(G.Mask), 16);

  TkvImageDefinition B = ParseImageDefinition("EDIT", "BORDERSMASK",
                                              "^0000^0140^0045^0185^0000^0000^0000^0000^1^0^1^2");
  EXPECT_EQ(B.Mask.ImgType, itisaBorder);
  EXPECT_EQ(B.Mask.DrawMode, 1);
  EXPECT_EQ(B.Mask.BorderWidth, 2);

  TkvImageDefinition T = ParseImageDefinition("P", "PATTERN", "~0001~0002~0003~0004~12");
  EXPECT_EQ(T.Mask.ImgType, itisaTexture);
  EXPECT_EQ(T.Mask.DrawMode, 12);
  EXPECT_EQ(T.Mask.MaskType, 0);
  EXPECT_EQ(T.Mask.ImageCount, 1);
  EXPECT_EQ(ParseImageDefinition("P", "PATTERN", "~0001~0002~0003~0004~12~3").Mask.MaskType, 3);

  // Too short or not a number: a clear error naming section and key.
  EXPECT_NE(ErrorOf("@0051@0000@0102@0016@3").find("Section [SEC], key KEY: "), std::string::npos);
  EXPECT_NE(ErrorOf("@0051@0000@0102@0016@3").find("shorter"), std::string::npos);
  EXPECT_NE(ErrorOf("^0000^0140").find("shorter"), std::string::npos);
  EXPECT_NE(ErrorOf("~0001~0002~0003~0004~1").find("shorter"), std::string::npos);
  EXPECT_NE(ErrorOf("@00x1@0000@0102@0016@3@0").find("'00x1' is not a valid integer value"),
            std::string::npos);
}

TEST(sMaskData, FileAndNumberSignNotations) {
  TkvImageDefinition F =
      ParseImageDefinition("BUTTON_HUGE", "BORDERSMASK", "!BUTTONHUGE.BMP!3!1!9!0032!0032!0032!x");
  EXPECT_EQ(F.Notation, inFile);
  EXPECT_EQ(F.FileName, "BUTTONHUGE.BMP");
  EXPECT_EQ(F.FieldCount, 8);
  EXPECT_EQ(F.Mask.ImgType, itisaPngGlyph); // type numbers above 4 count as 4
  EXPECT_EQ(F.Mask.WB, 0);                  // not a number
  EXPECT_EQ(F.Mask.DrawMode, 1);            // fewer than 9 fields

  TkvImageDefinition N = ParseImageDefinition("S", "K", "#img (10, 20,30 40) (0,-2)");
  EXPECT_EQ(N.Notation, inNumberSign);
  EXPECT_EQ(N.Mask.R, Rect(10, 20, 30, 40));
  EXPECT_EQ(N.Mask.ImageCount, 1);
  EXPECT_EQ(N.Mask.MaskType, 0);
  EXPECT_EQ(N.Mask.BorderWidth, 0);
  EXPECT_EQ(N.Mask.DrawMode, 1);
  EXPECT_EQ(ImageNotationOf("#"), inNone);
  EXPECT_EQ(ImageNotationOf("Glyph.bmp"), inPlainFile);
  EXPECT_EQ(ImageNotationOf("back.jpeg"), inJpeg);
  EXPECT_EQ(ImageNotationOf("16777215"), inNone);
}

TEST(sMaskData, FrameSizesNeverDivideByZero) {
  TsMaskData M;
  M.R = Rect(0, 0, 63, 48);
  M.ImageCount = 0;
  M.MaskType = -1;
  EXPECT_EQ(FrameWidth(M), 0);
  EXPECT_EQ(FrameHeight(M), 0);
  FillDefaultWidths(M);
  EXPECT_EQ(M.WL, 0);
  EXPECT_EQ(M.WT, 0);
  M.ImageCount = 3;
  M.MaskType = 1;
  FillDefaultWidths(M);
  EXPECT_EQ(M.WL, 7);
  EXPECT_EQ(M.WT, 8);
  M.MaskType = 2;
  EXPECT_EQ(FrameHeight(M), 16);
}

TEST(sMaskData, LoadingRegionsAndImages) {
  std::vector<uint8_t> Huge =
      Bmp24(192, 128, [](int x, int y) { return (x < 2 && y < 2) ? clFuchsia : clWhite; });
  TsSkinModel M =
      Load(kGlobal + "BOXCHECKED=@0051@0000@0102@0016@3@0\n"
                     "[EDIT]\nBORDERSMASK=^0000^0092^0063^0140^0000^0000^0000^0000^3^1^1^0\n"
                     "PATTERN=~0000~0000~0010~0010~01\n"
                     "[COMBOBOX]\nPARENTCLASS=EDIT\n"
                     "[BUTTON_HUGE]\nBORDERSMASK=!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!0\n"
                     "[LOWER]\nBORDERSMASK=!buttonhuge.bmp!3!1!0!0032!0032!0032!0032!0\n"
                     "[NOTBMP]\nBORDERSMASK=!BUTTONHUGE.GIF!3!1\n"
                     "[SHORT]\nBORDERSMASK=!BUTTONHUGE.BMP!3!1\n"
                     "[Plain]\nGlyph=buttonhuge.bmp\n"
                     "[CORNER]\nBORDERSMASK=^0000^0000^0030^0030^0005^0005^0005^0005^1^0^0^0\n"
                     "[OUT]\nGLYPHMASK=@0190@0190@0210@0210@1@0\nEMPTY=@0010@0010@0010@0020@1@0\n",
           {{"ButtonHuge.bmp", Huge}});
  ASSERT_TRUE(M.MasterBitmap);
  EXPECT_EQ(M.MasterBitmap->Pixel(0, 0), 0x00FF00FFu); // key colour: transparent
  EXPECT_EQ(M.MasterBitmap->Pixel(1, 0) >> 24, 255u);

  EXPECT_EQ(M.ConstData.CheckBoxChecked, M.GetMaskIndex("GLOBALINFO", "BOXCHECKED"));
  const TsMaskData& Edit = Mask(M, "EDIT", "BORDERSMASK");
  EXPECT_EQ(Edit.WL, 7);
  EXPECT_EQ(Edit.WR, 7);
  EXPECT_EQ(Edit.WT, 8);
  EXPECT_EQ(Edit.WB, 8);
  EXPECT_EQ(Edit.CornerType, 0);
  EXPECT_FALSE(Edit.Bmp);

  int Combo = M.GetSkinIndex("COMBOBOX");
  EXPECT_EQ(M.GetMaskIndex(Combo, "COMBOBOX", "BORDERSMASK"),
            M.GetMaskIndex("EDIT", "BORDERSMASK"));
  EXPECT_EQ(M.GetMaskIndex("COMBOBOX", "BORDERSMASK"), -1);
  EXPECT_EQ(M.gd[size_t(Combo)].BorderIndex, M.GetMaskIndex("EDIT", "BORDERSMASK"));
  EXPECT_EQ(M.gd[size_t(Combo)].TextureNormal, M.GetMaskIndex("EDIT", "PATTERN"));
  EXPECT_EQ(M.gd[size_t(Combo)].Props[0].TextureIndex, M.gd[size_t(Combo)].TextureNormal);

  const TsMaskData& Big = Mask(M, "BUTTON_HUGE", "BORDERSMASK");
  ASSERT_TRUE(Big.Bmp);
  EXPECT_EQ(Big.R, Rect(0, 0, 192, 128));
  EXPECT_EQ(Big.WL, 32);
  EXPECT_EQ(Big.DrawMode, 0);
  EXPECT_EQ(Big.CornerType, 2);
  EXPECT_EQ(M.GetMaskIndex("LOWER", "BORDERSMASK"), -1); // lower-case file name: skipped
  EXPECT_EQ(M.GetMaskIndex("NOTBMP", "BORDERSMASK"), -1);
  const TsMaskData& Short = Mask(M, "SHORT", "BORDERSMASK");
  EXPECT_EQ(Short.WL, 21); // 192 div 9
  EXPECT_EQ(Short.WT, 21); // 128 div 6
  EXPECT_EQ(Short.DrawMode, 1);
  const TsMaskData& Plain = Mask(M, "PLAIN", "GLYPH");
  EXPECT_EQ(Plain.ImageCount, 3);
  EXPECT_EQ(Plain.MaskType, 1);
  EXPECT_EQ(Plain.CornerType, 1); // key pixels in its top-left corner

  EXPECT_EQ(Mask(M, "CORNER", "BORDERSMASK").CornerType, 1);
  EXPECT_EQ(M.GetMaskIndex("OUT", "GLYPHMASK"), -1);
  EXPECT_EQ(M.GetMaskIndex("OUT", "EMPTY"), -1);
  // A master bitmap named in mixed case is not found in a package.
  TsSkinModel Mixed = Load("[GLOBALINFO]\nMASTERBITMAP=Master.bmp\n");
  EXPECT_FALSE(Mixed.MasterBitmap);
  ASSERT_FALSE(Mixed.Problems.empty());
  EXPECT_NE(Mixed.Problems[0].find("differs only in letter case"), std::string::npos);
  auto Has = [&](const std::string& Part) {
    for (const std::string& P : M.Problems)
      if (P.find(Part) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(Has("Section [OUT], key GLYPHMASK: region (190, 190, 210, 210) lies outside"));
  EXPECT_TRUE(Has("Section [LOWER], key BORDERSMASK: \"buttonhuge.bmp\" is not a .BMP"));
}

TEST(sMaskData, OldSkinsGetTheStretchFlagFromTheCentre) {
  // Frame 11 x 11 (33 wide, 3 frames; 22 high, mask below); borders 5: centre 1 x 1.
  std::string Opts = "[GLOBALINFO]\nVERSION=7.30\nMASTERBITMAP=MASTER.BMP\n[A]\n"
                     "BORDERSMASK=^0000^0000^0033^0022^0005^0005^0005^0005^3^1^0^0\n[B]\n"
                     "BORDERSMASK=^0000^0000^0036^0022^0005^0005^0005^0005^3^1^1^0\n";
  TsSkinModel Old = Load(Opts);
  EXPECT_EQ(Mask(Old, "A", "BORDERSMASK").DrawMode, 1);
  EXPECT_EQ(Mask(Old, "B", "BORDERSMASK").DrawMode, 0);
  TsSkinModel New = Load(Opts.replace(Opts.find("7.30"), 4, "7.40"));
  EXPECT_EQ(Mask(New, "A", "BORDERSMASK").DrawMode, 0);
  EXPECT_EQ(Mask(New, "B", "BORDERSMASK").DrawMode, 1);
}

TEST(sMaskData, MaskWidths) {
  TsSkinModel M =
      Load(kGlobal + "[A]\nBORDERSMASK=@0000@0000@0030@0020@0@1\n"
                     "[B]\nBORDERSMASK=^0000^0000^0030^0020^0000^0003^0000^0000^1^0^1^4\n");
  int A = M.GetMaskIndex("A", "BORDERSMASK");
  EXPECT_EQ(M.MaskWidthTop(A), 10);
  EXPECT_EQ(M.MaskWidthRight(A), 0); // no frames
  EXPECT_EQ(M.MaskWidthLeft(A), 30); // sets ImageCount 0 to 1 first
  EXPECT_EQ(M.ma[size_t(A)].ImageCount, 1);
  EXPECT_EQ(M.MaskWidthRight(A), 30);
  int B = M.GetMaskIndex("B", "BORDERSMASK");
  EXPECT_EQ(M.MaskWidthTop(B), 3);
  EXPECT_EQ(M.MaskWidthLeft(B), 4);
  EXPECT_EQ(M.MaskWidthLeft(-1), 0);
  EXPECT_FALSE(M.IsValidImgIndex(int(M.ma.size())));
}

TEST(sMaskData, JpegPicturesThroughTheReader) {
  std::string Opts = kGlobal + "[FORM]\nPATTERN=BIG.JPG\nHOTPATTERN=SMALL.JPG\n";
  std::vector<TkvPackMember> Files = {{"Big.jpg", Bytes("1000x900")},
                                      {"Small.jpg", Bytes("999x900")}};
  // Without a JPEG reader no record is added.
  TsSkinModel Native = Load(Opts, Files);
  EXPECT_TRUE(Native.pa.empty());
  EXPECT_EQ(Native.GetMaskIndex("FORM", "HOTPATTERN"), -1);

  TkvPictureReaders& R = SkinPictureReaders();
  R.LoadJpeg = [](const uint8_t* D, size_t S) {
    auto* Size = new TSize;
    std::sscanf(std::string(reinterpret_cast<const char*>(D), S).c_str(), "%dx%d", &Size->cx,
                &Size->cy);
    return std::shared_ptr<TkvTinyJPGImage>(
        reinterpret_cast<TkvTinyJPGImage*>(Size),
        [](TkvTinyJPGImage* P) { delete reinterpret_cast<TSize*>(P); });
  };
  R.JpegSize = [](const TkvTinyJPGImage& I) { return *reinterpret_cast<const TSize*>(&I); };
  R.DrawJpeg = [](const TkvTinyJPGImage&, TBitmap32& B) { B.Fill(0x00123456); };
  TsSkinModel M = Load(Opts, Files);
  R = TkvPictureReaders{};
  ASSERT_EQ(M.pa.size(), 1u);
  EXPECT_EQ(M.pa[0].PropertyName, "PATTERN");
  EXPECT_EQ(M.GetPatternIndex(M.GetSkinIndex("FORM"), "FORM", "PATTERN"), 0);
  const TsMaskData& Small = Mask(M, "FORM", "HOTPATTERN");
  EXPECT_EQ(Small.ImgType, itisaTexture);
  EXPECT_EQ(Small.R, Rect(0, 0, 999, 900));
  EXPECT_EQ(Small.Bmp->Pixel(5, 5), 0xFF123456u);
  EXPECT_EQ(M.gd[size_t(M.GetSkinIndex("FORM"))].Props[1].TextureIndex,
            M.GetMaskIndex("FORM", "HOTPATTERN"));
}

TEST(sMaskData, UnpackedSkinFolder) {
  TTempDir Dir;
  Dir.Write("Options.dat", Bytes(kGlobal + "[A]\nBORDERSMASK=!GLYPH.BMP!1!0\n"));
  Dir.Write("Master.bmp", MasterBmp(20, 20));
  Dir.Write("glyph.bmp", MasterBmp(9, 6));
  TkvMemIniFile Ini(
      std::string(reinterpret_cast<const char*>(ReadWholeFile(Dir.Str() + "Options.dat").data()),
                  ReadWholeFile(Dir.Str() + "Options.dat").size()));
  TsSkinModel M;
  M.LoadSkin(Ini, TkvImageSource(Dir.Str()));
  ASSERT_TRUE(M.MasterBitmap);
  EXPECT_EQ(M.MasterBitmap->Width(), 20);
  EXPECT_EQ(Mask(M, "A", "BORDERSMASK").R, Rect(0, 0, 9, 6));
  EXPECT_EQ(M.SkinData.SkinPath, Dir.Str());
}
