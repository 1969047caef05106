#include <gtest/gtest.h>

#include "skin/data/kvZLibEx.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/data/SkinFixture.h"

namespace {

const char* const kOptions = R"([GLOBALINFO]
VERSION=8.00
AUTHOR=Meadow
MASTERBITMAP=MASTER.BMP
TITLEHEIGHT=0
BOXCHECKED=@0051@0000@0102@0016@3@0
FADINGINTERVALIN=5
[FORM]
COLOR=16766918
FONTCOLOR=0
TCLEFT=$FF
GRADIENTDATA=16777215;11337727;97;0;0;11337727;11337727;0;0;0
GRADIENTPERCENT=50
HOTCOLOR=255
HOTGRADIENTDATA=1;2;3;4;5
BORDERSMASK=^0000^0092^0063^0140^0000^0000^0000^0000^3^1^1^0
[DIALOG]
PARENTCLASS=FORM
HOTGRADIENTDATA=N/A
[EDIT]
STATES=1
COLOR=-1
FONTCOLOR=$000080
BORDERSMASK=^0000^0140^0045^0185^0000^0000^0000^0000^1^0^1^2
SHOWFOCUS=True
[COMBOBOX]
PARENTCLASS=EDIT
GLYPHMASK=@0010@0010@0020@0020@1@0
[BUTTON_HUGE]
BORDERSMASK=!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!0
[LOWER]
BORDERSMASK=!buttonhuge.bmp!3!1!0!0032!0032!0032!0032!0
[PANEL]
COLOR=-1
GRADIENTPERCENT=100
GRADIENTDATA=N/A
SHOWFOCUS=yes
PATTERN=~0000~0000~0010~0010~01~2
[CORNERED]
BORDERSMASK=^0000^0000^0030^0030^0005^0005^0005^0005^1^0^0^0
[OUTSIDE]
BORDERSMASK=@0190@0190@0210@0210@1@0
[SELF]
PARENTCLASS=SELF
[CYC1]
PARENTCLASS=CYC2
[CYC2]
PARENTCLASS=CYC3
FONTCOLOR=-1
[CYC3]
PARENTCLASS=CYC1
)";

std::vector<uint8_t> ButtonHuge() {
  return Bmp24(192, 128, [](int x, int y) { return (x < 2 && y < 2) ? clFuchsia : clWhite; });
}

std::unique_ptr<TkvSkinConvertor> PackedTestSkin(const std::string& Options) {
  auto R = std::make_unique<TkvSkinConvertor>();
  R->SetPackedData(
      std::make_unique<TMemoryStream>(PackSkinMembers({{"Options.dat", Bytes(Options)},
                                                       {"ButtonHuge.bmp", ButtonHuge()},
                                                       {"Master.bmp", MasterBmp()}})));
  UnpackSkinPackage(R);
  return R;
}

TsSkinModel Load(const std::string& Options = kOptions, bool Collect = false) {
  auto R = PackedTestSkin(Options);
  TsSkinModel M;
  M.CollectProblems = Collect;
  M.LoadPackedSkin(*R);
  return M;
}

const TsGeneralData& Section(const TsSkinModel& M, const char* Name) {
  int i = M.GetSkinIndex(Name);
  EXPECT_GE(i, 0) << Name;
  return M.gd.at(size_t(i));
}

bool HasProblem(const TsSkinModel& M, const std::string& Part) {
  for (const std::string& P : M.Problems)
    if (P.find(Part) != std::string::npos) return true;
  return false;
}

} // namespace

TEST(sSkinModel, SectionsAndInheritance) {
  TsSkinModel M = Load();
  EXPECT_TRUE(M.SkinData.Active);
  EXPECT_EQ(M.SkinInfo(), "8.0");
  EXPECT_EQ(M.SkinData.Author, "Meadow");
  EXPECT_EQ(M.GetSkinIndex("EDIT"), 3);
  EXPECT_EQ(M.GetSkinIndex("edit"), -1);
  EXPECT_EQ(M.GetSkinIndex(""), -1);
  EXPECT_EQ(M.GetSkinSections().front(), "GLOBALINFO");
  EXPECT_EQ(M.GetSkinSections().size(), M.gd.size());

  const TsGeneralData& Form = Section(M, "FORM");
  const TsGeneralData& Dialog = Section(M, "DIALOG");
  EXPECT_EQ(Dialog.ParentClass, "FORM");
  EXPECT_EQ(Dialog.Color, 16766918u);
  EXPECT_EQ(Dialog.FontColor.Left, 0xFF);
  EXPECT_EQ(Dialog.GradientPercent, 50);
  EXPECT_EQ(Dialog.GradientArray, Form.GradientArray);
  ASSERT_EQ(Form.GradientArray.size(), 2u);
  EXPECT_EQ(Form.GradientArray[0].Percent, 97);
  EXPECT_EQ(Form.Props[1].Color, 255u);
  EXPECT_EQ(Form.HotGradientArray.size(), 1u);
  EXPECT_EQ(Dialog.Props[1].Color, 255u);
  EXPECT_TRUE(Dialog.HotGradientArray.empty()); // N/A: no gradient
  EXPECT_EQ(Dialog.HotGradientPercent, 0);

  const TsGeneralData& Edit = Section(M, "EDIT");
  EXPECT_EQ(Edit.States, 1);
  EXPECT_EQ(Edit.Props[1], Edit.Props[0]);
  EXPECT_EQ(Edit.Color, clWhite); // -1 without a parent
  EXPECT_TRUE(Edit.ShowFocus);
  EXPECT_EQ(Section(M, "COMBOBOX").Color, clWhite);
  EXPECT_EQ(Section(M, "COMBOBOX").FontColor.Color, 0x000080u);

  const TsGeneralData& Panel = Section(M, "PANEL");
  EXPECT_EQ(Panel.GradientPercent, 0);
  EXPECT_FALSE(Panel.ShowFocus);
  EXPECT_EQ(Panel.States, 3);
  EXPECT_EQ(Panel.FadingIterations, 5);
  EXPECT_EQ(Panel.GradientData, "N/A");
  EXPECT_EQ(Section(M, "SELF").GradientData, " ");
}

TEST(sSkinModel, ParentCyclesEndAsNotFound) {
  TsSkinModel M = Load(kOptions, true);
  const TsGeneralData& C1 = Section(M, "CYC1");
  EXPECT_EQ(C1.Color, clWhite);
  EXPECT_EQ(C1.FontColor.Color, 0u);
  EXPECT_EQ(C1.BorderIndex, -1);
  EXPECT_EQ(M.GetMaskIndex(M.GetSkinIndex("CYC2"), "CYC2", "BORDERSMASK"), -1);
  EXPECT_EQ(M.GetTextureIndex(M.GetSkinIndex("CYC3"), "CYC3", "PATTERN"), -1);
  EXPECT_TRUE(HasProblem(M, "CYC1 -> CYC2 -> CYC3 -> CYC1 is a cycle"));
  EXPECT_FALSE(HasProblem(M, "Section [CYC2]")); // one report per cycle
  EXPECT_FALSE(HasProblem(M, "[SELF]"));
}

TEST(sSkinModel, SkinWideValuesAndPalette) {
  TsSkinModel M = Load();
  EXPECT_EQ(M.SkinData.ExTitleHeight, 30);
  EXPECT_EQ(M.SkinData.ExMaxHeight, 30);
  EXPECT_EQ(M.SkinData.ExBorderWidth, 4);
  EXPECT_EQ(M.SkinData.ExContentOffs, 4);
  EXPECT_EQ(M.SkinData.Shadow1Blur, -1);
  EXPECT_EQ(M.GetGlobalColor(), ColorToRGB(clBtnFace));
  EXPECT_EQ(M.Palette[2], 0xFF0000u);
  EXPECT_EQ(M.Palette[3], 0x0000FFu);
  EXPECT_EQ(M.GetActiveEditFontColor(), 0x000080u);
  EXPECT_EQ(M.GetActiveEditColor(), clWhite);
  // No SELECTION and no MENUITEM: the system's highlight colours.
  EXPECT_EQ(M.GetHighLightColor(false), ColorToRGB(clHighlight));
  EXPECT_EQ(M.GetHighLightFontColor(true), ColorToRGB(clHighlightText));
  EXPECT_EQ(M.Palette[10], 0x000080u);
  EXPECT_EQ(M.Palette[11], clWhite);
  EXPECT_EQ(M.Palette[12], clWhite);
  // 0.05 * 0x80 + 0.95 * 0xFF = 248.65 -> 249 for red; 0.95 * 255 = 242.25 -> 242.
  EXPECT_EQ(M.Palette[13], RGBColor(249, 242, 242));
  EXPECT_EQ(M.Palette[16], 0x0000FFu);
  EXPECT_EQ(M.Palette[17], 0x8597D9u);
  EXPECT_EQ(M.Palette[23], 0x4AB28Fu);

  TsSkinModel Sel = Load("[GLOBALINFO]\nCOLOR=5\nEDITTEXT_ALERT=7\n"
                         "[SELECTION]\nCOLOR=1\nFONTCOLOR=2\nHOTCOLOR=3\nHOTFONTCOLOR=4\n");
  EXPECT_EQ(Sel.GetGlobalColor(), 5u);
  EXPECT_EQ(Sel.Palette[16], 7u);
  EXPECT_EQ(Sel.Palette[18], 7u);
  EXPECT_EQ(Sel.GetHighLightColor(false), 1u);
  EXPECT_EQ(Sel.GetHighLightFontColor(false), 2u);
  EXPECT_EQ(Sel.GetHighLightColor(true), 3u);
  EXPECT_EQ(Sel.GetHighLightFontColor(true), 4u);
  EXPECT_EQ(Sel.GetActiveEditColor(), ColorToRGB(clWindow));

  TsSkinModel Menu = Load("[SELECTION]\nFONTCOLOR=$FF00FF\n[MENUITEM]\nHOTCOLOR=11\n"
                          "HOTFONTCOLOR=$FF00FF\n");
  EXPECT_EQ(Menu.Palette[6], 11u);
  EXPECT_EQ(Menu.Palette[8], 11u);
  EXPECT_EQ(Menu.Palette[7], ColorToRGB(clHighlightText));
  EXPECT_EQ(Menu.Palette[9], Menu.Palette[7]);
}

TEST(sSkinModel, SystemColoursFromAncestorsAreConverted) {
  TsSkinModel M = Load("[A]\nCOLOR=-16777201\nGSIZE=-16777201\n[B]\nPARENTCLASS=A\n");
  EXPECT_EQ(Section(M, "A").Color, ColorToRGB(clBtnFace));
  EXPECT_EQ(Section(M, "B").Color, ColorToRGB(clBtnFace));
}

TEST(sSkinModel, CommonSectionsAreLaidOver) {
  TsSkinModel M;
  M.SetCommonSections({"[EDIT]", "PARENTCLASS = form", "HOTCOLOR = 77", "STATES=2", "[NEW]",
                       "PARENTCLASS=FORM", "; COLOR = 1"});
  EXPECT_EQ(M.CommonSections()[1], "PARENTCLASS=form");
  EXPECT_EQ(M.CommonSections()[6], "; COLOR = 1");
  auto R = PackedTestSkin(kOptions);
  M.LoadPackedSkin(*R);
  const TsGeneralData& Edit = Section(M, "EDIT");
  EXPECT_EQ(M.GetSkinIndex("EDIT"), 3); // replaced in place
  EXPECT_EQ(Edit.ParentClass, "FORM");
  EXPECT_EQ(Edit.Color, 16766918u);
  EXPECT_EQ(Edit.Props[1].Color, 77u);
  EXPECT_EQ(Section(M, "NEW").Color, 16766918u);
  EXPECT_EQ(M.gd.back().ClassName, "NEW");
}

TEST(sSkinModel, AFailedLoadKeepsThePreviousModel) {
  TsSkinModel M = Load();
  size_t Sections = M.gd.size();
  auto Bad = PackedTestSkin("[X]\nBORDERSMASK=@0051@0000@0102\n");
  try {
    M.LoadPackedSkin(*Bad);
    FAIL();
  } catch (const ESkinDataError& E) {
    EXPECT_NE(std::string(E.what()).find("Section [X], key BORDERSMASK"), std::string::npos);
  }
  EXPECT_EQ(M.gd.size(), Sections);
  EXPECT_TRUE(M.SkinData.Active);

  auto BadGradient = PackedTestSkin("[X]\nGRADIENTDATA=1;2;x;4;5\n");
  EXPECT_THROW(M.LoadPackedSkin(*BadGradient), ESkinDataError);
  TsSkinModel Empty;
  EXPECT_EQ(Empty.SkinInfo(), "N/A");
  EXPECT_TRUE(Empty.GetSkinSections().empty());
  EXPECT_EQ(Empty.GetMaskIndex(0, "EDIT", "BORDERSMASK"), -1);
}

TEST(sSkinModel, GradientText) {
  TsGradArray G;
  ParseGradientData("", G);
  EXPECT_EQ(G, TsGradArray(1));
  ParseGradientData("1;2;3;4", G);
  EXPECT_TRUE(G.empty());
  ParseGradientData("1;2;3;4;5;6;7;8;9", G);
  EXPECT_EQ(G.size(), 1u);
  ParseGradientData("-5;2;300;4;5;;6;7;-8;9;10", G);
  ASSERT_EQ(G.size(), 2u);
  EXPECT_EQ(G[0].Color1, 0u);
  EXPECT_EQ(G[0].Percent, 100);
  EXPECT_EQ(G[0].Mode1, 4);
  EXPECT_EQ(G[0].Mode2, 0);
  EXPECT_EQ(G[1].Percent, 0);
  EXPECT_THROW(ParseGradientData("1;2;x;4;5", G), std::invalid_argument);
}

namespace {

// Blue is 0xC08040 (red 0x40, green 0x80, blue 0xC0); turned by 180 degrees it is the orange
// 0x4080C0, fully desaturated the grey 0x808080.
const TColor kBlue = 0xC08040;
const TColor kOrange = 0x4080C0;

std::string ToneOptions(int KeepHue) {
  return "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\nBIKEEPHUE=" + std::to_string(KeepHue) +
         "\nSHADOW1COLOR=$C08040\nCOLOR=$C08040\nTCTOP=$C08040\nEDITTEXT_OK=$C08040\n"
         "EDITTEXT_H3=$C08040\nBORDERCOLOR=$C08040\n"
         "BICONCLOSE=@0100@0000@0130@0010@1@0\nBICONMAX=@0100@0020@0130@0030@1@0\n"
         "BICLOSEALONE=!BUTTONHUGE.BMP!1!0\n"
         "[FORM]\nCOLOR=$C08040\nHOTCOLOR=$C08040\nFONTCOLOR=$C08040\nTCLEFT=$C08040\nTCTOP=-1\n"
         "GRADIENTDATA=$C08040;$FF00FF;50;0;0\n"
         "[BUTTON_HUGE]\nBORDERSMASK=!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!0\n";
}

// A master bitmap and a button image with no grey pixels, so that every pixel can turn.
TsSkinModel LoadTone(int KeepHue, int HueOffset, int Saturation = 0) {
  auto Coloured = [](int W, int H) {
    return Bmp24(W, H, [](int x, int y) { return RGBColor(0x30, 0x60 + (x & 0x3F), y & 0xFF); });
  };
  auto R = std::make_unique<TkvSkinConvertor>();
  R->SetPackedData(
      std::make_unique<TMemoryStream>(PackSkinMembers({{"Options.dat", Bytes(ToneOptions(KeepHue))},
                                                       {"ButtonHuge.bmp", Coloured(192, 128)},
                                                       {"Master.bmp", Coloured(200, 40)}})));
  UnpackSkinPackage(R);
  TsSkinModel M;
  M.HueOffset = HueOffset;
  M.Saturation = Saturation;
  M.LoadPackedSkin(*R);
  return M;
}

bool SamePixels(const TBitmap32& A, const TBitmap32& B, const TRect& R) {
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (A.Pixel(x, y) != B.Pixel(x, y)) return false;
  return true;
}

} // namespace

TEST(sSkinModel, HueOffsetTurnsColoursButNotStatusColours) {
  TsSkinModel Plain = LoadTone(0, 0);
  TsSkinModel M = LoadTone(0, 180);
  const TsGeneralData& F = Section(M, "FORM");
  EXPECT_EQ(F.Color, kOrange);
  EXPECT_EQ(F.Props[0].Color, kOrange);
  EXPECT_EQ(F.HotColor, kOrange);
  EXPECT_EQ(F.Props[1].Color, kOrange);
  EXPECT_EQ(F.FontColor.Color, kOrange);
  EXPECT_EQ(F.FontColor.Left, int(kOrange));
  EXPECT_EQ(F.FontColor.Top, -1); // no shadow stays none
  ASSERT_EQ(F.Props[0].GradientArray.size(), 1u);
  EXPECT_EQ(F.Props[0].GradientArray[0].Color1, kOrange);
  EXPECT_EQ(F.Props[0].GradientArray[0].Color2, clFuchsia); // the key colour means none
  EXPECT_EQ(F.GradientArray[0].Color1, kOrange);
  EXPECT_EQ(M.SkinData.Shadow1Color, kOrange);

  EXPECT_EQ(Plain.Palette[0], kBlue);
  EXPECT_EQ(M.Palette[0], kOrange);
  EXPECT_EQ(M.Palette[27], kOrange);
  EXPECT_EQ(M.Palette[3], kBlue);
  EXPECT_EQ(M.Palette[14], kBlue);
  EXPECT_EQ(M.Palette[26], kBlue);
  for (size_t i = 0; i < M.Palette.size(); ++i) {
    bool Turns = i != 3 && (i < 14 || i > 26);
    if (!Turns)
      EXPECT_EQ(M.Palette[i], Plain.Palette[i]) << i;
    else
      EXPECT_EQ(M.Palette[i], ShiftHue(180, Plain.Palette[i])) << i;
  }

  // Every pixel of the master bitmap and of the images of their own turns.
  ASSERT_TRUE(M.MasterBitmap);
  const TBitmap32& Before = *Plain.MasterBitmap;
  const TBitmap32& After = *M.MasterBitmap;
  for (int y = 0; y < After.Height(); ++y)
    for (int x = 0; x < After.Width(); ++x)
      ASSERT_EQ(After.Pixel(x, y), ShiftHuePixel(180, Before.Pixel(x, y))) << x << "," << y;
  EXPECT_NE(After.Pixel(5, 5), Before.Pixel(5, 5));
  const TsMaskData& Own = M.ma[size_t(M.GetMaskIndex("BUTTON_HUGE", "BORDERSMASK"))];
  const TsMaskData& OwnBefore = Plain.ma[size_t(Plain.GetMaskIndex("BUTTON_HUGE", "BORDERSMASK"))];
  EXPECT_EQ(Own.Bmp->Pixel(40, 40), ShiftHuePixel(180, OwnBefore.Bmp->Pixel(40, 40)));
  EXPECT_NE(Own.Bmp->Pixel(40, 40), OwnBefore.Bmp->Pixel(40, 40));
}

TEST(sSkinModel, KeepHueLeavesTitleButtons) {
  TsSkinModel Plain = LoadTone(0, 0);
  const TRect Close = Rect(100, 0, 130, 10), Max = Rect(100, 20, 130, 30);
  auto AloneBmp = [](const TsSkinModel& M) {
    return M.ma[size_t(M.GetMaskIndex("GLOBALINFO", "BICLOSEALONE"))].Bmp;
  };
  // 1: every title button keeps its pixels; the rest of the master bitmap turns.
  TsSkinModel One = LoadTone(1, 180);
  EXPECT_TRUE(SamePixels(*One.MasterBitmap, *Plain.MasterBitmap, Close));
  EXPECT_TRUE(SamePixels(*One.MasterBitmap, *Plain.MasterBitmap, Max));
  EXPECT_FALSE(SamePixels(*One.MasterBitmap, *Plain.MasterBitmap, Rect(0, 0, 100, 40)));
  EXPECT_FALSE(SamePixels(*One.MasterBitmap, *Plain.MasterBitmap, Rect(100, 10, 130, 20)));
  EXPECT_TRUE(SamePixels(*AloneBmp(One), *AloneBmp(Plain), AloneBmp(Plain)->BoundsRect()));
  EXPECT_EQ(Section(One, "FORM").Color, kOrange); // colours turn all the same
  // Any other value: only the close buttons.
  TsSkinModel Two = LoadTone(2, 180);
  EXPECT_TRUE(SamePixels(*Two.MasterBitmap, *Plain.MasterBitmap, Close));
  EXPECT_FALSE(SamePixels(*Two.MasterBitmap, *Plain.MasterBitmap, Max));
  EXPECT_TRUE(SamePixels(*AloneBmp(Two), *AloneBmp(Plain), AloneBmp(Plain)->BoundsRect()));
  // 0: everything turns.
  TsSkinModel Zero = LoadTone(0, 180);
  EXPECT_FALSE(SamePixels(*Zero.MasterBitmap, *Plain.MasterBitmap, Close));
  EXPECT_FALSE(SamePixels(*AloneBmp(Zero), *AloneBmp(Plain), AloneBmp(Plain)->BoundsRect()));
}

TEST(sSkinModel, SaturationAfterHue) {
  TsSkinModel Grey = LoadTone(0, 0, -100);
  EXPECT_EQ(Section(Grey, "FORM").Color, 0x808080u);
  EXPECT_EQ(Grey.Palette[0], 0x808080u);
  EXPECT_EQ(Grey.Palette[14], kBlue);
  EXPECT_EQ(Grey.SkinData.Shadow1Color, 0x808080u);
  // Glow colours, which the options do not set, turn when applied by hand.
  TsSkinModel Glow = LoadTone(0, 0);
  TsGeneralData& G = Glow.gd[size_t(Glow.GetSkinIndex("FORM"))];
  G.GlowColor = G.HotGlowColor = G.Props[0].GlowColor = G.Props[1].GlowColor = kBlue;
  Glow.ApplyHueOffset(180);
  EXPECT_EQ(G.GlowColor, kOrange);
  EXPECT_EQ(G.HotGlowColor, kOrange);
  EXPECT_EQ(G.Props[0].GlowColor, kOrange);
  EXPECT_EQ(G.Props[1].GlowColor, kOrange);
  TsSkinModel Both = LoadTone(1, 180, 40);
  EXPECT_EQ(Section(Both, "FORM").Color, ShiftSaturation(40, kOrange));
  EXPECT_EQ(Both.HueOffset, 180);
  // Shifts applied by hand on a loaded model change nothing for 0.
  TsSkinModel Again = LoadTone(0, 0);
  Again.ApplyHueOffset(0);
  Again.ApplySaturation(0);
  EXPECT_EQ(Section(Again, "FORM").Color, kBlue);
}

TEST(sSkinModel, CommonSectionLinesLoseBlanksAndEmptyLines) {
  EXPECT_EQ(TsSkinModel::CleanCommonSections(
                {"[EDIT]", "", "   ", "\t", "COLOR =\t5", ";  kept as it is ", "[ NEW ]"}),
            (std::vector<std::string>{"[EDIT]", "COLOR=5", ";  kept as it is ", "[NEW]"}));
  TsSkinModel M;
  M.SetCommonSections({"", "[A]", " "});
  EXPECT_EQ(M.CommonSections(), std::vector<std::string>{"[A]"});
}
