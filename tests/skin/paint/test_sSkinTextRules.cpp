#include "skin/paint/sSkinTextRules.h"

#include <gtest/gtest.h>

#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/paint/SkinPaintFixture.h"

namespace {

constexpr bool IsHigh(wchar_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
constexpr bool IsLow(wchar_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

// A measure in which a dot is 1 pixel, each half of a surrogate pair 4 and any other code
// unit 6; it keeps every text it was asked about.
struct TMeasure {
  std::vector<std::wstring> Asked;
  int operator()(const std::wstring& S) {
    Asked.push_back(S);
    int W = 0;
    for (wchar_t C : S)
      W += C == L'.' ? 1 : (IsHigh(C) || IsLow(C)) ? 4 : 6;
    return W;
  }
};

std::wstring Cut(const std::wstring& Text, int MaxWidth, TMeasure& M) {
  return CutTextToWidth(Text, MaxWidth, [&M](const std::wstring& S) { return M(S); });
}

bool HasSplitPair(const std::wstring& S) {
  for (size_t i = 0; i < S.size(); ++i) {
    if (IsHigh(S[i]) && (i + 1 >= S.size() || !IsLow(S[i + 1]))) return true;
    if (IsLow(S[i]) && (i == 0 || !IsHigh(S[i - 1]))) return true;
  }
  return false;
}

TEST(CutTextToWidth, NoRoomOrNoTextGivesTheEmptyText) {
  TMeasure M;
  EXPECT_EQ(Cut(L"Hello", 0, M), L"");
  EXPECT_EQ(Cut(L"Hello", -5, M), L"");
  EXPECT_EQ(Cut(L"", 50, M), L"");
}

TEST(CutTextToWidth, TextThatFitsComesBackUnchangedWithoutDots) {
  TMeasure M;
  EXPECT_EQ(Cut(L"Hello", 30, M), L"Hello"); // exactly 30 pixels
  EXPECT_EQ(Cut(L"Hello", 100, M), L"Hello");
}

TEST(CutTextToWidth, CutsFromTheEndUntilTheTextWithDotsFits) {
  TMeasure M;
  EXPECT_EQ(Cut(L"Hello world", 27, M), L"Hell..."); // 24 + 3
  EXPECT_EQ(Cut(L"Hello world", 26, M), L"Hel...");
}

TEST(CutTextToWidth, AFirstCharacterThatCannotKeepItsDotsLeavesNothing) {
  TMeasure M;
  // "A" alone would fit, but "A..." does not: the result is empty, without dots.
  EXPECT_EQ(Cut(L"AB", 8, M), L"");
  EXPECT_EQ(Cut(L"AB", 9, M), L"A...");
}

TEST(CutTextToWidth, DeletesSurrogatePairsWhole) {
  const std::wstring Text = L"ab\xD83D\xDE00\xD83D\xDE01"; // a, b and two emoji: 28 pixels
  TMeasure M;
  // Deleting only the low half of the last emoji would leave "ab", the first emoji and a lone
  // high half, which with its dots would just fit 27 pixels.
  EXPECT_EQ(Cut(Text, 27, M), L"ab\xD83D\xDE00...");
  for (const std::wstring& S : M.Asked)
    EXPECT_FALSE(HasSplitPair(S)) << "measured a split pair";
  TMeasure M2;
  EXPECT_EQ(Cut(L"\xD83D\xDE00", 5, M2), L"");
  for (const std::wstring& S : M2.Asked)
    EXPECT_FALSE(HasSplitPair(S));
  // A lone surrogate at the end is one character of its own.
  TMeasure M3;
  EXPECT_EQ(Cut(L"abc\xDE00", 16, M3), L"ab...");
}

// Sections of the font decisions: the control's own, panels, and ancestors further up.
class FontSection : public ::testing::Test {
protected:
  TTestSkin S{4, 4};
  int Own = S.AddSection("LABEL", 0x010101);
  int Panel = S.AddSection("PANEL", 0x020202);
  int Outer = S.AddSection("OUTER", 0x030303);
  int Middle = S.AddSection("MIDDLE", 0x040404);
  std::vector<size_t> Examined;

  TsGeneralData& Sec(int I) { return S.M.gd[size_t(I)]; }
  void Set(int I, int Transparency, bool GiveOwnFont, int HotTransparency = -1) {
    Sec(I).Props[0].Transparency = Transparency;
    Sec(I).Props[1].Transparency = HotTransparency < 0 ? Transparency : HotTransparency;
    Sec(I).GiveOwnFont = GiveOwnFont;
  }
  static TFontAncestor State(int I) { return {true, I}; }
  static TFontAncestor Answer(int I) { return {false, I}; }
  int Decide(const std::vector<TFontAncestor>& Chain, int Hot = 0) {
    return FontSectionOfChain(
        Chain.size(),
        [&](size_t Level) {
          Examined.push_back(Level);
          return Chain[Level];
        },
        Own, &S.M, Hot);
  }
};

TEST_F(FontSection, NothingToExamineKeepsTheOwnSection) {
  EXPECT_EQ(FontSectionOf({}, Own, &S.M, 0), Own);
  EXPECT_EQ(FontSectionOf({Answer(Own)}, Own, &S.M, 0), Own);
  Set(Panel, 0, true);
  EXPECT_EQ(FontSectionOf({Answer(Own), State(Panel)}, Own, nullptr, 0), Own);
}

TEST_F(FontSection, AMostlyOpaqueParentGivesItsFontOnlyWhenItSaysSo) {
  Set(Panel, 30, true);
  Set(Outer, 0, true);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Panel);
  Set(Panel, 30, false);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Own);
  Set(Panel, 50, true); // 50 still counts as opaque
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Panel);
}

TEST_F(FontSection, ATransparentPanelOnAFormClimbsPastTheForm) {
  Set(Panel, 80, true);
  Set(Outer, 0, true); // the form: would give its font if it were examined
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Own);
  EXPECT_EQ(Examined, std::vector<size_t>{1});
}

TEST_F(FontSection, TheSkinStateBranchClimbsTwoLevels) {
  Set(Panel, 80, true);
  Set(Middle, 0, true);
  Set(Outer, 0, true);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Middle), State(Outer)}), Outer);
  EXPECT_EQ(Examined, (std::vector<size_t>{1, 3}));
}

TEST_F(FontSection, APaintedCentreOrATopParentCountsAsOpaque) {
  Set(Panel, 80, true);
  Set(Outer, 0, false);
  Sec(Panel).BorderIndex = S.AddImage({0, 0, 3, 3}, 1, 0, 1, 1, 1, 1, dmDrawCentre);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Panel);
  Sec(Panel).BorderIndex = S.AddImage({0, 0, 3, 3}, 1, 0, 1, 1, 1, 1, dmStretch);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}), Own);
  // A panel without a parent of its own is the last one there is.
  EXPECT_EQ(Decide({Answer(Own), State(Panel)}), Panel);
}

TEST_F(FontSection, TheSectionQueryBranchClimbsOneLevel) {
  Set(Panel, 80, true);
  Set(Outer, 0, true);
  EXPECT_EQ(Decide({Answer(Own), Answer(Panel), State(Outer)}), Outer);
  EXPECT_EQ(Examined, (std::vector<size_t>{1, 2}));
  Set(Panel, 30, true);
  EXPECT_EQ(Decide({Answer(Own), Answer(Panel), State(Outer)}), Panel);
  Set(Panel, 30, false);
  EXPECT_EQ(Decide({Answer(Own), Answer(Panel), State(Outer)}), Own);
  // A transparent answer at the top: nothing further up.
  Set(Panel, 80, true);
  EXPECT_EQ(Decide({Answer(Own), Answer(Panel)}), Own);
}

TEST_F(FontSection, AnInvalidAnswerKeepsTheOwnSection) {
  Set(Outer, 0, true);
  EXPECT_EQ(Decide({Answer(Own), Answer(-1), State(Outer)}), Own);
  EXPECT_EQ(Decide({Answer(Own), Answer(99), State(Outer)}), Own);
  // A skin state whose index is not valid is asked like any other control.
  EXPECT_EQ(Decide({Answer(Own), {true, 99}, State(Outer)}), Own);
}

TEST_F(FontSection, HotReadsTheHotRecordAndEveryClimbAsksForTheNormalOne) {
  Set(Panel, 80, true, 30);
  Set(Outer, 0, true);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), Answer(-1), State(Outer)}, 1), Panel);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), Answer(-1), State(Outer)}, 0), Outer);
  // Above the climb the normal record counts, whatever Hot was.
  Set(Panel, 80, true);
  Set(Outer, 30, true, 80);
  EXPECT_EQ(Decide({Answer(Own), State(Panel), Answer(-1), State(Outer), Answer(-1)}, 1), Outer);
}

TEST_F(FontSection, ASectionWithoutStatesReadsItsNormalRecord) {
  Set(Panel, 30, true, 80);
  Sec(Panel).States = 0;
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}, 1), Panel);
  Sec(Panel).States = -3;
  EXPECT_EQ(Decide({Answer(Own), Answer(Panel), State(Outer)}, 1), Panel);
  Sec(Panel).States = 1;
  EXPECT_EQ(Decide({Answer(Own), State(Panel), State(Outer)}, 2), Panel);
}

TEST(TextColours, DisabledTextTakesFortyPercentOfTheFontColour) {
  // 0.4 * 10 + 0.6 * 255 = 157, 0.4 * 20 + 0.6 * 255 = 161, 0.4 * 200 + 0.6 * 255 = 233.
  EXPECT_EQ(DisabledTextColor(RGBColor(10, 20, 200), clWhite), RGBColor(157, 161, 233));
  // 0.4 and 0.8 round to 0 and 1.
  EXPECT_EQ(DisabledTextColor(RGBColor(1, 2, 0), clBlack), RGBColor(0, 1, 0));
  EXPECT_EQ(DisabledTextColor(clBlack, clBtnFace),
            BlendColors(clBlack, ColorToRGB(clBtnFace), 0.4));
  TColor Plain = DisabledTextColor(RGBColor(10, 20, 200), RGBColor(90, 60, 30));
  EXPECT_EQ(DisabledTextColor(RGBColor(10, 20, 200), RGBColor(90, 60, 30), 120, -40),
            ShiftSaturation(-40, ShiftHue(120, Plain)));
}

TEST(TextColours, ShiftsApplyOnlyWhenSet) {
  TColor C = RGBColor(200, 40, 10);
  EXPECT_EQ(ShiftedTextColor(C, 0, 0), C);
  EXPECT_EQ(ShiftedTextColor(C, 90, 0), ShiftHue(90, C));
  EXPECT_EQ(ShiftedTextColor(C, 0, 50), ShiftSaturation(50, C));
}

TEST(TextColours, ShadowsComeLeftTopRightBottomWithoutTheUnsetSides) {
  TsFontColor F;
  EXPECT_TRUE(TextShadowsOf(F).empty());
  F.Left = 0x112233;
  F.Top = 0; // black is a colour, not "none"
  F.Right = 0x445566;
  F.Bottom = 0x778899;
  auto All = TextShadowsOf(F);
  ASSERT_EQ(All.size(), 4u);
  EXPECT_EQ(All[0].Color, 0x112233u);
  EXPECT_EQ(All[0].DX, -1);
  EXPECT_EQ(All[0].DY, 0);
  EXPECT_EQ(All[1].Color, 0u);
  EXPECT_EQ(All[1].DX, 0);
  EXPECT_EQ(All[1].DY, -1);
  EXPECT_EQ(All[2].DX, 1);
  EXPECT_EQ(All[3].Color, 0x778899u);
  EXPECT_EQ(All[3].DY, 1);
  F.Left = -1;
  auto NoLeft = TextShadowsOf(F, 60, 0);
  ASSERT_EQ(NoLeft.size(), 3u);
  EXPECT_EQ(NoLeft[0].DY, -1);
  EXPECT_EQ(NoLeft[1].Color, ShiftHue(60, 0x445566));
}

TEST(TextColours, HotStatesAboveOneReadTheHotRecord) {
  EXPECT_EQ(TextStateOf(0), 0);
  EXPECT_EQ(TextStateOf(-1), 0);
  EXPECT_EQ(TextStateOf(1), 1);
  EXPECT_EQ(TextStateOf(2), 1);
  EXPECT_EQ(TextStateOf(7), 1);
}

TEST(GlowMask, CoversTheTextMovedByOnePixelAndGrownByTheRadiusAndFour) {
  EXPECT_EQ(GlowMaskRect({10, 10, 30, 20}, 3), (TRect{4, 4, 38, 28}));
  EXPECT_EQ(GlowMaskRect({0, 0, 5, 5}, 0), (TRect{-3, -3, 10, 10}));
}

TEST(GlowMask, MovesPixelsTowardTheGlowColourByTheMask) {
  const uint32_t Ground = MakePixel(10, 100, 200, 0);
  TBitmap32 B(4, 3);
  B.Fill(Ground);
  TBitmap8 Mask(3, 3);
  Mask.Pixel(0, 0) = 255;
  Mask.Pixel(1, 0) = 0;
  Mask.Pixel(0, 1) = 128;
  for (int y = 0; y < 3; ++y)
    Mask.Pixel(2, y) = 0; // x 4 lies outside the bitmap
  Mask.Pixel(1, 1) = 0;
  Mask.Pixel(0, 2) = Mask.Pixel(1, 2) = 0; // y 3 lies outside the bitmap
  ApplyGlowMask(B, Mask, 2, 1, RGBColor(20, 40, 250));
  EXPECT_EQ(B.Pixel(2, 1), Ground);                      // white leaves the pixel alone
  EXPECT_EQ(B.Pixel(3, 1), MakePixel(250, 40, 20, 255)); // black paints the glow colour
  // 128: red 20 + 128 * 180 / 255, blue 250 - 128 * 240 / 255, both truncated toward 0;
  // alpha 127 * 255 / 255.
  EXPECT_EQ(B.Pixel(2, 2), MakePixel(130, 70, 110, 127));
  EXPECT_EQ(B.Pixel(3, 2), MakePixel(250, 40, 20, 255));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x)
      EXPECT_EQ(B.Pixel(x, y), Ground);
  EXPECT_EQ(B.Pixel(2, 0), Ground);
  EXPECT_EQ(B.Pixel(3, 0), Ground);
}

TEST(GlowMask, PartlyOpaquePixelsGainAlphaAndOutsideMasksDoNothing) {
  TBitmap32 B(2, 2);
  B.Fill(MakePixel(0, 0, 0, 200));
  TBitmap8 Mask(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      Mask.Pixel(x, y) = 100;
  ApplyGlowMask(B, Mask, -2, -2, clWhite);
  // Only the mask's bottom-right byte lands on the bitmap, at (0, 0).
  // Channels 255 + 100 * (0 - 255) / 255 = 155; alpha 200 + 155 * 55 / 255 = 233.
  EXPECT_EQ(B.Pixel(0, 0), MakePixel(155, 155, 155, 233));
  EXPECT_EQ(B.Pixel(1, 0), MakePixel(0, 0, 0, 200));
  EXPECT_EQ(B.Pixel(1, 1), MakePixel(0, 0, 0, 200));
  ApplyGlowMask(B, Mask, 5, 5, clWhite);
  ApplyGlowMask(B, Mask, -3, 0, clWhite);
  ApplyGlowMask(B, TBitmap8(), 0, 0, clWhite);
  EXPECT_EQ(B.Pixel(1, 1), MakePixel(0, 0, 0, 200));
}

} // namespace
