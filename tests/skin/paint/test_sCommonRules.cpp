#include "skin/paint/sCommonRules.h"

#include <gtest/gtest.h>

#include "skin/pixels/kvGradients.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/paint/SkinPaintFixture.h"

namespace {

constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;

TEST(DefaultSectionOf, KindsAndTheirSections) {
  EXPECT_STREQ(DefaultSectionOf(51), "PANEL");
  EXPECT_STREQ(DefaultSectionOf(52), "PANEL_LOW");
  EXPECT_STREQ(DefaultSectionOf(3), "EDIT");
  EXPECT_STREQ(DefaultSectionOf(230), "EDIT");
  EXPECT_STREQ(DefaultSectionOf(82), "COMBOBOX");
  EXPECT_STREQ(DefaultSectionOf(94), "BUTTON");
  EXPECT_STREQ(DefaultSectionOf(161), "GAUGE");
  EXPECT_STREQ(DefaultSectionOf(226), "GROUPBOX");
  // Gaps between the ranges have no section: the class name is used.
  EXPECT_EQ(DefaultSectionOf(9), nullptr);
  EXPECT_EQ(DefaultSectionOf(77), nullptr);
  EXPECT_EQ(DefaultSectionOf(0), nullptr);
}

TEST(KindSets, MembershipAtTheEdges) {
  EXPECT_TRUE(IsEditKind(2) && IsEditKind(18) && IsEditKind(84) && IsEditKind(231));
  EXPECT_FALSE(IsEditKind(1) || IsEditKind(19) || IsEditKind(85) || IsEditKind(230));
  EXPECT_TRUE(IsContainerKind(51) && IsContainerKind(74) && IsContainerKind(161));
  EXPECT_FALSE(IsContainerKind(75) || IsContainerKind(93));
  EXPECT_TRUE(IsNoGlowKind(51) && IsNoGlowKind(93) && IsNoGlowKind(226));
  EXPECT_FALSE(IsNoGlowKind(53) || IsNoGlowKind(55) || IsNoGlowKind(95));
  EXPECT_TRUE(IsLabelKind(32) && IsLabelKind(74));
  EXPECT_FALSE(IsLabelKind(51));
}

TEST(ComputeBGType, TextureAndGradientKinds) {
  TsGeneralData S;
  EXPECT_EQ(ComputeBGType(S), 0);
  S.ImagePercent = 30;
  EXPECT_EQ(ComputeBGType(S), bgtTexture);
  S.ImagePercent = 0;
  S.GradientPercent = 100;
  EXPECT_EQ(ComputeBGType(S), 0) << "no gradient pieces";
  ParseGradientData("255;65280;100;0;0", S.GradientArray);
  EXPECT_EQ(ComputeBGType(S), bgtHeight);
  S.GradientArray.front().Mode1 = 1;
  EXPECT_EQ(ComputeBGType(S), bgtWidth);
  S.GradientArray.front().Mode1 = 2;
  EXPECT_EQ(ComputeBGType(S), bgtWidth | bgtHeight);
}

struct PlainState : ::testing::Test {
  TTestSkin S{8, 8};
  int Sec = S.AddSection("PANEL", 0x808080);
  int Calls = 0;
  TPlainParent Answer;
  std::function<TPlainParent()> Parent = [this] {
    ++Calls;
    return Answer;
  };
  int Ask(bool Extended = false) { return PlainStateOf(&S.M, Sec, Extended, Parent); }
};

TEST_F(PlainState, OpaqueFlatSectionIsPlainUnlessItHasCornersOrExtendedBorders) {
  EXPECT_EQ(Ask(), 1);
  EXPECT_EQ(Ask(true), 0);
  S.M.gd[Sec].ImgTR = 0;
  EXPECT_EQ(Ask(), 0);
  EXPECT_EQ(Calls, 0) << "an opaque section never asks its parent";
  EXPECT_EQ(PlainStateOf(&S.M, 7, false, Parent), 1) << "no section";
  EXPECT_EQ(PlainStateOf(nullptr, Sec, false, Parent), 1) << "no manager";
}

TEST_F(PlainState, TexturesGradientsTransparencyAndPaintedCentresAreNotPlain) {
  S.M.gd[Sec].GradientPercent = 50;
  EXPECT_EQ(Ask(), 0);
  S.M.gd[Sec].GradientPercent = 0;
  S.M.gd[Sec].Transparency = 40;
  EXPECT_EQ(Ask(), 0);
  S.M.gd[Sec].Transparency = 0;
  S.M.gd[Sec].BorderIndex = S.AddImage({0, 0, 6, 6}, 1, 0, 2, 2, 2, 2, 4);
  EXPECT_EQ(Ask(), 0);
  S.M.ma[size_t(S.M.gd[Sec].BorderIndex)].DrawMode = 0;
  EXPECT_EQ(Ask(), 1);
}

TEST_F(PlainState, TransparentSectionFollowsItsParent) {
  S.M.gd[Sec].Transparency = 100;
  Answer.HasParent = false;
  EXPECT_EQ(Ask(), 0) << "no parent";
  Answer.HasParent = true;
  EXPECT_EQ(Ask(), 2) << "the parent has no window yet";
  Answer.ParentHasHandle = true;
  EXPECT_EQ(Ask(), 1) << "a parent that is not skinned is a plain colour";
  Answer.ParentSkinned = true;
  Answer.ParentSkinState = cssUpdating | cssPlainFace;
  EXPECT_EQ(Ask(), 1) << "only the plain-face bits of the parent's answer count";
  Answer.ParentSkinState = cssPrintDC;
  EXPECT_EQ(Ask(), 0);
  S.M.gd[Sec].TextureNormal = S.AddImage({0, 0, 4, 4}, 1, 0, 0, 0, 0, 0, 10);
  EXPECT_EQ(Ask(), 0) << "a texture drawn in mode 10";
}

TEST(ColorForStateOf, OpaqueTransparentAndBlended) {
  TsGeneralData S;
  S.States = 2;
  S.Props[0].Color = RGBColor(200, 0, 0);
  S.Props[1].Color = RGBColor(0, 200, 0);
  auto Parent = [] { return RGBColor(100, 100, 100); };
  EXPECT_EQ(ColorForStateOf(&S, 0, false, clBlue, Parent), RGBColor(200, 0, 0));
  EXPECT_EQ(ColorForStateOf(&S, 2, false, clBlue, Parent), RGBColor(0, 200, 0));
  EXPECT_EQ(ColorForStateOf(&S, 0, true, clBlue, Parent), TColor(clBlue)) << "custom colour";
  EXPECT_EQ(ColorForStateOf(nullptr, 0, false, clBlue, Parent), TColor(clBlue)) << "not skinned";
  S.Props[0].Transparency = 100;
  EXPECT_EQ(ColorForStateOf(&S, 0, false, clBlue, Parent), RGBColor(100, 100, 100));
  S.Props[0].Transparency = 50;
  EXPECT_EQ(ColorForStateOf(&S, 0, false, clBlue, Parent),
            BlendColors(RGBColor(200, 0, 0), RGBColor(100, 100, 100), 0.5));
  S.States = 1;
  EXPECT_EQ(ColorForStateOf(&S, 1, false, clBlue, Parent),
            ColorForStateOf(&S, 0, false, clBlue, Parent))
      << "a one-state section has no hot record";
}

TEST(QueryColorOf, ShiftRoundsTowardMinusInfinity) {
  EXPECT_EQ(RValue(MixQueryColor(RGBColor(200, 0, 0), RGBColor(100, 0, 0), 50)), 180);
  EXPECT_EQ(GValue(MixQueryColor(RGBColor(0, 10, 0), RGBColor(0, 30, 0), 50)), 13);
  TsGeneralData S;
  S.Color = RGBColor(200, 200, 200);
  auto Parent = [] { return RGBColor(100, 100, 100); };
  EXPECT_EQ(QueryColorOf(&S, clRed, Parent), RGBColor(200, 200, 200));
  S.Transparency = 100;
  EXPECT_EQ(QueryColorOf(&S, clRed, Parent), RGBColor(100, 100, 100));
  S.Transparency = 50;
  EXPECT_EQ(QueryColorOf(&S, clRed, Parent), RGBColor(180, 180, 180));
  EXPECT_EQ(QueryColorOf(nullptr, clBtnFace, Parent), ColorToRGB(clBtnFace));
  EXPECT_EQ(QueryColorOf(&S, RGBColor(0, 0, 0), nullptr), RGBColor(160, 160, 160))
      << "without a parent the own colour is the parent's";
}

TEST(BackgroundStepOf, EveryBranchOfTheAnswer) {
  TsGeneralData S;
  S.States = 3;
  TBackgroundFacts F;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsOwnColour) << "not skinned";
  F.Skinned = true;
  F.CustomColor = true;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsOwnColour);
  F.CustomColor = false;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsPlainColour);

  S.Props[0].GradientPercent = 100;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsNotReady) << "no cache";
  F.HasCache = true;
  F.CacheEmpty = false;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsNotReady) << "cache of another size";
  F.CacheFitsOwner = true;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsOwnCache);

  S.Props[0].Transparency = 100;
  F.PlainFace = true;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsPassOn);
  F.PlainFace = false;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsOwnCache);
  F.HasCache = false;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsPassOn);

  S.Props[0].Transparency = 40;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsUnknownColour);
  F.HasCache = true;
  F.CacheEmpty = true;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsNotReadyHold);
  F.CacheEmpty = false;
  EXPECT_EQ(BackgroundStepOf(&S, 0, F), bsOwnCache);

  // The hot record answers for every state above 0.
  S.Props[1] = TsGenState{};
  EXPECT_EQ(BackgroundStepOf(&S, 2, F), bsPlainColour);
}

TEST(BackgroundStepOf, SectionsWithoutStatesUseTheNormalRecord) {
  TsGeneralData S;
  S.Props[1].Transparency = 100;
  TBackgroundFacts F;
  F.Skinned = true;
  for (int States : {0, -3}) {
    S.States = States;
    EXPECT_EQ(StateRecordOf(S, 5), 0);
    EXPECT_EQ(BackgroundStepOf(&S, 1, F), bsPlainColour);
  }
}

} // namespace
