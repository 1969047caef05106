#include <gtest/gtest.h>

#include "skin/data/sSkinModel.h"
#include "tools/kvskin/kvContrast.h"

namespace {

// Colours in options order: 0x00BBGGRR.
constexpr TColor Rgb(int R, int G, int B) {
  return TColor(R | (G << 8) | (B << 16));
}

TsSkinModel ModelOf(const std::string& Options) {
  TkvMemIniFile Ini;
  Ini.SetText(Options);
  TsSkinModel M;
  M.LoadAllGeneralData(Ini);
  return M;
}

} // namespace

TEST(kvContrast, KnownRatios) {
  EXPECT_NEAR(ContrastRatio(clBlack, clWhite), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(clWhite, clBlack), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(Rgb(0x5E, 0x9E, 0x3A), Rgb(0x5E, 0x9E, 0x3A)), 1.0, 1e-9);
  // #777777 on white is the well-known near miss (4.48), #767676 the lightest gray that passes.
  EXPECT_NEAR(ContrastRatio(Rgb(0x77, 0x77, 0x77), clWhite), 4.48, 0.005);
  EXPECT_GE(ContrastRatio(Rgb(0x76, 0x76, 0x76), clWhite), MinTextContrast);
  EXPECT_LT(ContrastRatio(Rgb(0x77, 0x77, 0x77), clWhite), MinTextContrast);
  // Pure red on white: 3.998.
  EXPECT_NEAR(ContrastRatio(Rgb(0xFF, 0, 0), clWhite), 3.998, 0.001);
  // Channels weigh differently: green is far lighter than blue.
  EXPECT_NEAR(RelativeLuminance(Rgb(0, 0xFF, 0)), 0.7152, 1e-9);
  EXPECT_NEAR(RelativeLuminance(Rgb(0, 0, 0xFF)), 0.0722, 1e-9);
}

TEST(kvContrast, ReportsNormalAndHotStatesBelowTheMinimum) {
  // White on #5E9E3A is 3.27 : 1; dark text on the light hot colour is fine.
  TsSkinModel M = ModelOf("[TITLE]\nSTATES=2\nCOLOR=3841630\nFONTCOLOR=16777215\n"
                          "HOTCOLOR=15463400\nHOTFONTCOLOR=1583647\n"
                          "[PLAIN]\nSTATES=1\nCOLOR=16777215\nFONTCOLOR=0\n"
                          "[HOTONLY]\nSTATES=2\nCOLOR=16777215\nFONTCOLOR=0\n"
                          "HOTCOLOR=0\nHOTFONTCOLOR=3355443\n");
  std::vector<TContrastProblem> P = CheckTextContrast(M);
  ASSERT_EQ(P.size(), 2u);
  EXPECT_EQ(P[0].Section, "TITLE");
  EXPECT_EQ(P[0].State, 0);
  EXPECT_EQ(P[0].Ground, Rgb(0x5E, 0x9E, 0x3A));
  EXPECT_NEAR(P[0].Ratio, 3.27, 0.01);
  EXPECT_EQ(P[1].Section, "HOTONLY");
  EXPECT_EQ(P[1].State, 1);
  EXPECT_EQ(ContrastProblemText(P[0]),
            "Section [TITLE], normal: font colour #FFFFFF on #5E9E3A has a contrast of 3.27 : 1 "
            "(at least 4.5 : 1 wanted)");
}

TEST(kvContrast, GradientsAreCheckedAtEveryColourTheyReach) {
  // White text on a gradient from a dark green that passes to a light green that does not.
  std::string Grad = std::to_string(Rgb(0x2F, 0x6A, 0x1C)) + ";" +
                     std::to_string(Rgb(0x9D, 0xBE, 0x8B)) + ";100;0;0";
  TsSkinModel M = ModelOf("[G]\nSTATES=1\nCOLOR=0\nFONTCOLOR=16777215\nGRADIENTPERCENT=100\n"
                          "GRADIENTDATA=" +
                          Grad + "\n");
  std::vector<TContrastProblem> P = CheckTextContrast(M);
  ASSERT_EQ(P.size(), 1u);
  EXPECT_EQ(P[0].Ground, Rgb(0x9D, 0xBE, 0x8B));

  // At a share of 50 % the section colour (black) darkens the light end enough.
  M = ModelOf("[G]\nSTATES=1\nCOLOR=0\nFONTCOLOR=16777215\nGRADIENTPERCENT=50\nGRADIENTDATA=" +
              Grad + "\n");
  EXPECT_TRUE(CheckTextContrast(M).empty());

  // A gradient share of 0 leaves the plain colour as the ground, whatever the gradient says.
  M = ModelOf("[G]\nSTATES=1\nCOLOR=0\nFONTCOLOR=16777215\nGRADIENTDATA=" + Grad + "\n");
  EXPECT_TRUE(CheckTextContrast(M).empty());
}

TEST(kvContrast, SeeThroughSectionsAreCheckedAgainstTheGlobalColour) {
  TsSkinModel M = ModelOf("[GLOBALINFO]\nCOLOR=15529972\nFONTCOLOR=1583647\n"
                          "[LABEL]\nSTATES=1\nTRANSPARENCY=100\nCOLOR=0\nFONTCOLOR=1583647\n"
                          "[FAINT]\nSTATES=1\nTRANSPARENCY=100\nCOLOR=0\nFONTCOLOR=16777215\n");
  std::vector<TContrastProblem> P = CheckTextContrast(M);
  ASSERT_EQ(P.size(), 1u);
  EXPECT_EQ(P[0].Section, "FAINT");
  EXPECT_EQ(P[0].Ground, Rgb(0xF4, 0xF7, 0xEC));
}
