#include <gtest/gtest.h>

#include <set>

#include "skin/data/kvStreams.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "tools/kvskin/kvContrast.h"

namespace {

struct TMeadow {
  TkvMemIniFile Ini;
  TsSkinModel M;
  TMeadow() {
    std::vector<uint8_t> Text = ReadWholeFile(std::string(MEADOWSTYLE_DIR) + "Options.dat");
    Ini.SetText(std::string_view(reinterpret_cast<const char*>(Text.data()), Text.size()));
    M.CollectProblems = true;
    M.LoadSkin(Ini, TkvImageSource(std::string(MEADOWSTYLE_DIR)));
  }
  const TsGeneralData& Section(const std::string& Name) const {
    int i = M.GetSkinIndex(Name);
    EXPECT_GE(i, 0) << Name;
    return M.gd.at(size_t(std::max(i, 0)));
  }
  int Mask(const std::string& Section, const std::string& Key) const {
    return M.GetMaskIndex(M.GetSkinIndex(Section), Section, Key);
  }
};

const TMeadow& Meadow() {
  static TMeadow S;
  return S;
}

} // namespace

TEST(MeadowStyle, LoadsWithoutProblemsAndWithEverySectionTheEngineLooksUp) {
  const TsSkinModel& M = Meadow().M;
  EXPECT_TRUE(M.Problems.empty()) << M.Problems.front();
  EXPECT_DOUBLE_EQ(M.SkinData.Version, 8.0);
  ASSERT_TRUE(M.MasterBitmap);
  for (const std::string& Name : EngineSectionNames)
    EXPECT_GE(M.GetSkinIndex(Name), 0) << Name;
  EXPECT_TRUE(CheckTextContrast(M).empty());
  EXPECT_EQ(M.SkinData.BILeftMargin, 3);
  EXPECT_EQ(M.SkinData.BIRightMargin, 1);
  EXPECT_EQ(M.SkinData.BISpacing, 0);
}

TEST(MeadowStyle, GlobalImagesAreAllThere) {
  const TMeadow& S = Meadow();
  for (const char* Key :
       {"BICONCLOSE",   "BICONMAX",       "BICONMIN",    "BICONNORM",    "BICONHELP",
        "TITLEBUTTON",  "BICLOSEALONE",   "SICONCLOSE",  "SICONMAX",     "SICONMIN",
        "SICONNORM",    "SICONHELP",      "BOXCHECKED",  "BOXUNCHECKED", "BOXGRAYED",
        "RADIOCHECKED", "RADIOUNCHECKED", "RADIOGRAYED", "SMALLCHECKED", "SMALLUNCHECKED",
        "SMALLGRAYED",  "GRIPIMAGE",      "GRIPHORZ",    "GRIPVERT"})
    EXPECT_GE(S.Mask("GLOBALINFO", Key), 0) << Key;
  // Caption buttons: three frames of 21 x 21.
  for (const char* Key :
       {"BICONCLOSE", "BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP", "TITLEBUTTON"}) {
    const TsMaskData& D = S.M.ma.at(size_t(S.Mask("GLOBALINFO", Key)));
    EXPECT_EQ(D.ImageCount, 3) << Key;
    EXPECT_EQ(FrameWidth(D), 21) << Key;
    EXPECT_EQ(FrameHeight(D), 21) << Key;
  }
}

TEST(MeadowStyle, SectionsInheritAndBehaveAsDesigned) {
  const TMeadow& S = Meadow();
  const TsGeneralData &Form = S.Section("FORM"), &Dialog = S.Section("DIALOG");
  EXPECT_EQ(Dialog.ParentClass, "FORM");
  EXPECT_EQ(Dialog.Color, Form.Color);
  EXPECT_EQ(Dialog.GradientData, Form.GradientData);
  EXPECT_NE(Dialog.HotGradientData, Form.HotGradientData);
  EXPECT_EQ(Dialog.BorderIndex, Form.BorderIndex);

  EXPECT_EQ(S.Section("FORMTITLE").States, 2);
  const TsGeneralData& Edit = S.Section("EDIT");
  EXPECT_EQ(Edit.States, 2);
  const TsGeneralData& Combo = S.Section("COMBOBOX");
  EXPECT_EQ(Combo.ParentClass, "EDIT");
  EXPECT_EQ(Combo.BorderIndex, Edit.BorderIndex);
  EXPECT_EQ(S.M.ma.at(size_t(Combo.BorderIndex)).ClassName, "EDIT");

  const TsGeneralData& Button = S.Section("BUTTON");
  EXPECT_EQ(Button.States, 3);
  EXPECT_TRUE(Button.FadingEnabled);
  EXPECT_EQ(Button.FadingIterations, 5);
  EXPECT_TRUE(Button.ShowFocus);
  EXPECT_TRUE(S.Section("PANEL").GiveOwnFont);

  const TsMaskData& Huge = S.M.ma.at(size_t(S.Section("BUTTON_HUGE").BorderIndex));
  EXPECT_TRUE(Huge.Bmp);
  EXPECT_EQ(Huge.CornerType, 2);
  EXPECT_EQ(Huge.ImageCount, 3);
  EXPECT_EQ(Huge.MaskType, 1);
  EXPECT_EQ(Huge.WL, 32);
  EXPECT_EQ(Huge.WB, 32);

  for (const char* Name : {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT",
                           "SCROLLSLIDERH", "SCROLLSLIDERV"})
    EXPECT_GE(S.Mask(Name, "GLYPHMASK"), 0) << Name;
  EXPECT_GE(S.M.ConstData.MaskArrowBottom, 0);
  EXPECT_GE(S.M.ConstData.ComboGlyph, 0);
  EXPECT_GE(S.Section("MAINMENU").BorderIndex, 0);
}

TEST(MeadowStyle, ExercisesEveryImageNotationMaskTextureAndGradientKind) {
  const TMeadow& S = Meadow();
  std::set<TkvImageNotation> Notations;
  for (const TkvMemIniFile::TSection& Sec : S.Ini.Sections())
    for (const TkvMemIniFile::TKey& K : Sec.Keys)
      Notations.insert(ImageNotationOf(K.Value));
  for (TkvImageNotation N : {inGlyph, inBorder, inTexture, inFile, inNumberSign, inPlainFile})
    EXPECT_TRUE(Notations.count(N)) << N;

  bool RealMask = false, KeyCorners = false, Texture = false;
  for (const TsMaskData& D : S.M.ma) {
    RealMask |= D.ImgType == itisaBorder && D.MaskType == 1;
    KeyCorners |= D.CornerType == 1;
    Texture |= D.ImgType == itisaTexture;
  }
  EXPECT_TRUE(RealMask);
  EXPECT_TRUE(KeyCorners);
  EXPECT_TRUE(Texture);
  EXPECT_GE(S.Section("FORM").TextureNormal, 0);

  std::set<int> Kinds;
  for (const TsGeneralData& G : S.M.gd)
    for (const TsGenState& P : G.Props)
      if (P.GradientPercent > 0 && !P.GradientArray.empty()) Kinds.insert(P.GradientArray[0].Mode1);
  EXPECT_TRUE(Kinds.count(0)); // vertical
  EXPECT_TRUE(Kinds.count(1)); // horizontal
}
