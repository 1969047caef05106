#include "skin/paint/kvSkinItems.h"

#include <gtest/gtest.h>

#include "skin/pixels/kvGradients.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/paint/SkinPaintFixture.h"

namespace {

constexpr uint32_t Ground = 0xFF123456;
constexpr TColor Green = 0x20A040; // red 0x40, green 0xA0, blue 0x20

TBitmap32 Target(int W, int H) {
  TBitmap32 B(W, H);
  B.Fill(Ground);
  return B;
}

TBitmap32 Parent() {
  TBitmap32 P(60, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x)
      P.Pixel(x, y) = Px(x * 4, y * 4, 200);
  return P;
}

TsGradArray Vertical(TColor From, TColor To) {
  TsGradArray G;
  ParseGradientData(std::to_string(From) + ";" + std::to_string(To) + ";100;0;0", G);
  return G;
}

void SetGradient(TsGenState& S, int Percent, TColor From, TColor To) {
  S.GradientPercent = Percent;
  S.GradientData = std::to_string(From) + ";" + std::to_string(To) + ";100;0;0";
  S.GradientArray = Vertical(From, To);
}

TEST(PaintSectionBackground, FullyTransparentShowsTheParentOrItsColour) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("PANEL", Green);
  S.M.gd[Sec].Props[0].Transparency = 100;
  TBitmap32 Par = Parent(), B = Target(20, 10);
  PaintSectionBackground(Sec, "PANEL", NewCacheInfo(&Par, 3, 4), 0, {2, 1, 12, 6}, {5, 6}, B, &S.M,
                         -1, -1, clFuchsia);
  EXPECT_EQ(B.Pixel(2, 1), Par.Pixel(8, 10));
  EXPECT_EQ(B.Pixel(11, 5), Par.Pixel(17, 14));
  EXPECT_EQ(B.Pixel(1, 1), Ground);
  TCacheInfo ColourOnly;
  ColourOnly.FillColor = RGBColor(9, 8, 7);
  PaintSectionBackground(Sec, "PANEL", ColourOnly, 0, {0, 0, 20, 10}, {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(B.Pixel(10, 5), Px(9, 8, 7));

  // A parent not ready yet: its border bands (5 wide) where they overlap the item, its colour
  // between them.
  TCacheInfo Bands;
  Bands.Bmp = &Par;
  Bands.FillColor = clWhite;
  Bands.FillRect = {5, 5, 5, 5};
  TBitmap32 C = Target(10, 10);
  PaintSectionBackground(Sec, "PANEL", Bands, 0, C.BoundsRect(), {2, 2}, C, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(C.Pixel(0, 5), Par.Pixel(2, 7));
  EXPECT_EQ(C.Pixel(5, 0), Par.Pixel(7, 2));
  EXPECT_EQ(C.Pixel(2, 9), Par.Pixel(4, 11));
  EXPECT_EQ(C.Pixel(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(C.Pixel(9, 9), 0xFFFFFFFFu);
  PaintSectionBackground(Sec, "PANEL", Bands, 0, C.BoundsRect(), {50, 50}, C, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(C.Pixel(9, 9), Par.Pixel(59, 59)); // right and bottom bands
  EXPECT_EQ(C.Pixel(6, 2), Par.Pixel(56, 52));
  EXPECT_EQ(C.Pixel(2, 7), Par.Pixel(52, 57));
  EXPECT_EQ(C.Pixel(3, 3), 0xFFFFFFFFu);
}

TEST(PaintSectionBackground, PartlyTransparentGradientBlendsOverTheParent) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("BUTTON", Green);
  SetGradient(S.M.gd[Sec].Props[0], 100, 0x0000FF, 0xFF0000);
  TBitmap32 Opaque = Target(10, 10);
  PaintSectionBackground(Sec, "BUTTON", TCacheInfo{}, 0, {0, 0, 10, 10}, {0, 0}, Opaque, &S.M, -1,
                         -1, clFuchsia);
  S.M.gd[Sec].Props[0].Transparency = 40;
  TBitmap32 Par = Parent(), B = Target(10, 10);
  PaintSectionBackground(Sec, "BUTTON", NewCacheInfo(&Par, 1, 2), 0, {0, 0, 10, 10}, {3, 0}, B,
                         &S.M, -1, -1, clFuchsia);
  for (int y = 0; y < 10; y += 3)
    for (int x = 0; x < 10; x += 3)
      EXPECT_EQ(B.Pixel(x, y), BlendPixel(Par.Pixel(x + 4, y + 2), Opaque.Pixel(x, y), 102));
}

TEST(PaintSectionBackground, PartlyTransparentOverAnUnknownParentKeepsItsOwnColour) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("LABEL", Green);
  S.M.gd[Sec].Props[0].Transparency = 40;
  TBitmap32 B = Target(6, 6);
  PaintSectionBackground(Sec, "LABEL", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(B.Pixel(3, 3), WithAlpha(ColorToPixel(Green), 255));
  // A parent known by its colour is mixed in at the transparency's share.
  TCacheInfo White;
  White.FillColor = clWhite;
  PaintSectionBackground(Sec, "LABEL", White, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(B.Pixel(3, 3), WithAlpha(ColorToPixel(BlendColors(clWhite, Green, 0.4)), 255));
}

TEST(PaintSectionBackground, TextureSharesAndModes) {
  TTestSkin S(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      S.Master().Pixel(x, y) = Px(200, x * 10, y * 10);
  int Tex = S.AddImage({0, 0, 16, 16}, 1, 0, 0, 0, 0, 0, 2); // one row along the top
  int Sec = S.AddSection("PANEL", Green);
  S.M.gd[Sec].Props[0].ImagePercent = 100;
  S.M.gd[Sec].Props[0].TextureIndex = Tex;
  TBitmap32 B = Target(40, 100);
  PaintSectionBackground(Sec, "PANEL", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(B.Pixel(0, 0), S.Master().Pixel(0, 0));
  EXPECT_EQ(B.Pixel(17, 15), S.Master().Pixel(1, 15));
  EXPECT_EQ(B.Pixel(5, 16), WithAlpha(ColorToPixel(Green), 255));
  EXPECT_EQ(B.Pixel(39, 99), WithAlpha(ColorToPixel(Green), 255));

  // 20 % texture: every pixel keeps 20 % against the section colour.
  S.M.ma[Tex].DrawMode = 0;
  S.M.gd[Sec].Props[0].ImagePercent = 20;
  PaintSectionBackground(Sec, "PANEL", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  uint32_t T = S.Master().Pixel(3, 4), P = B.Pixel(19, 20);
  EXPECT_EQ(PixR(P), RoundByte(0.2 * PixR(T) + 0.8 * RValue(Green)));
  EXPECT_EQ(PixG(P), RoundByte(0.2 * PixG(T) + 0.8 * GValue(Green)));

  // A tile stretched along the top of a rectangle lower than the tile stays inside it.
  S.M.ma[Tex].DrawMode = 4;
  S.M.gd[Sec].Props[0].ImagePercent = 100;
  TBitmap32 Low = Target(40, 20);
  PaintSectionBackground(Sec, "PANEL", TCacheInfo{}, 0, {0, 5, 40, 13}, {0, 0}, Low, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(Low.Pixel(0, 5), S.Master().Pixel(0, 0));
  EXPECT_EQ(Low.Pixel(39, 12), S.Master().Pixel(15, 7));
  EXPECT_EQ(Low.Pixel(20, 13), Ground);

  // A mode without a layout draws nothing: the section colour covers the rectangle.
  S.M.ma[Tex].DrawMode = 8;
  S.M.gd[Sec].Props[0].ImagePercent = 100;
  PaintSectionBackground(Sec, "PANEL", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  EXPECT_EQ(B.Pixel(0, 0), WithAlpha(ColorToPixel(Green), 255));
}

TEST(PaintSectionBackground, TextureAndGradientTakeTheOnePassOrTheTwoLayerPath) {
  TTestSkin S(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      S.Master().Pixel(x, y) = Px(x * 30, 100, y * 30);
  int Tex = S.AddImage({0, 0, 8, 8}, 1, 0, 0, 0, 0, 0, 0);
  int Sec = S.AddSection("BUTTON", Green);
  TsGenState& St = S.M.gd[Sec].Props[0];
  St.ImagePercent = 30;
  St.TextureIndex = Tex;
  SetGradient(St, 70, 0x0000FF, 0xFF0000);
  TBitmap32 B = Target(20, 20), Expected = Target(20, 20);
  PaintSectionBackground(Sec, "BUTTON", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  PaintGradientTextured(Expected, Expected.BoundsRect(), St.GradientArray, 255, 76, {0, 0, 8, 8},
                        S.Master());
  EXPECT_EQ(B.Pixel(3, 3), Expected.Pixel(3, 3));
  EXPECT_EQ(B.Pixel(19, 17), Expected.Pixel(19, 17));

  S.M.ma[Tex].DrawMode = 1; // stretched: texture, then the gradient blended at 76
  PaintSectionBackground(Sec, "BUTTON", TCacheInfo{}, 0, B.BoundsRect(), {0, 0}, B, &S.M, -1, -1,
                         clFuchsia);
  TBitmap32 Tex2 = Target(20, 20), Grad = Target(20, 20);
  StretchCopy(Tex2, Tex2.BoundsRect(), S.Master(), {0, 0, 8, 8});
  PaintGradient(Grad, Grad.BoundsRect(), St.GradientArray);
  EXPECT_EQ(B.Pixel(5, 9), BlendPixel(Tex2.Pixel(5, 9), Grad.Pixel(5, 9), 76));
}

TEST(PaintSection, StatesBordersCornerImagesAndTone) {
  TTestSkin S(30, 20);
  S.DrawFrames(0, 0, 6, 6, 3, true);   // border frames
  S.DrawFrames(18, 0, 4, 3, 3, false); // corner image frames, 4 x 3
  int Border = S.AddImage({0, 0, 18, 12}, 3, 1, 2, 2, 2, 2, 0);
  int Corner = S.AddImage({18, 0, 30, 3}, 3, 0, 0, 0, 0, 0, 0);
  int Sec = S.AddSection("BUTTON", Green, 3);
  S.M.gd[Sec].Props[1].Color = 0x0000FF;
  S.M.gd[Sec].ImgBR = Corner;
  TsSectionLook Look;
  Look.SkinIndex = Sec;
  Look.SkinSection = "BUTTON";
  TBitmap32 B = Target(20, 20);
  PaintSection(&S.M, Look, TCacheInfo{}, false, 5, &B, {0, 0}, B.BoundsRect());
  EXPECT_EQ(B.Pixel(10, 10), Px(255, 0, 0));    // Props[1]
  EXPECT_EQ(B.Pixel(16, 17), FramePx(2, 0, 0)); // corner image of frame 2 at the bottom right
  S.M.gd[Sec].BorderIndex = Border;
  PaintSection(&S.M, Look, TCacheInfo{}, false, 5, &B, {0, 0}, B.BoundsRect());
  EXPECT_EQ(B.Pixel(0, 0), FramePx(2, 0, 0));

  // A transparent section without a border is not shifted; with a border the whole bitmap is.
  Look.HUEOffset = 120;
  S.M.gd[Sec].BorderIndex = -1;
  S.M.gd[Sec].ImgBR = -1;
  S.M.gd[Sec].Props[0].Transparency = 50;
  TCacheInfo White;
  White.FillColor = clWhite;
  TBitmap32 C = Target(20, 20);
  C.Pixel(0, 0) = Px(255, 0, 0);
  PaintSection(&S.M, Look, White, false, 0, &C, {0, 0}, {1, 1, 20, 20});
  EXPECT_EQ(C.Pixel(0, 0), Px(255, 0, 0));
  S.M.gd[Sec].BorderIndex = Border;
  PaintSection(&S.M, Look, White, false, 0, &C, {0, 0}, {1, 1, 20, 20});
  EXPECT_EQ(C.Pixel(0, 0), ShiftHuePixel(120, Px(255, 0, 0)));

  // A rectangle leaving the bitmap paints nothing.
  TBitmap32 D = Target(10, 10);
  PaintSection(&S.M, Look, TCacheInfo{}, false, 0, &D, {0, 0}, {0, 0, 11, 10});
  EXPECT_EQ(D.Pixel(5, 5), Ground);
}

TEST(PaintSectionOnParentInfo, AParentNotReadyMarksTheControlAsWaiting) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("PANEL", Green);
  TsSectionLook Look;
  Look.SkinIndex = Sec;
  TBitmap32 B = Target(8, 8);
  TBackgroundInfo Answer;
  Answer.Kind = bkNotReady;
  bool Updating = false;
  EXPECT_FALSE(
      PaintSectionOnParentInfo(&S.M, Look, Answer, Updating, false, &B, {0, 0}, B.BoundsRect(), 0));
  EXPECT_TRUE(Updating);
  EXPECT_EQ(B.Pixel(0, 0), Ground);
  Answer.Kind = bkColor;
  Answer.Color = clWhite;
  EXPECT_TRUE(
      PaintSectionOnParentInfo(&S.M, Look, Answer, Updating, false, &B, {0, 0}, B.BoundsRect(), 0));
  EXPECT_EQ(B.Pixel(0, 0), WithAlpha(ColorToPixel(Green), 255));
}

// A section with a border mask (3 masked frames of 6 x 6, bands 2 wide) and a bottom-right
// corner image (3 frames of 4 x 3) that overlap in the bottom-right 2 x 2 pixels of a 20 x 20
// face.
struct TFramedSection {
  TTestSkin S{30, 20};
  int Border, Corner, Sec;
  TsSectionLook Look;
  TFramedSection() {
    S.DrawFrames(0, 0, 6, 6, 3, true);
    S.DrawFrames(18, 0, 4, 3, 3, false);
    Border = S.AddImage({0, 0, 18, 12}, 3, 1, 2, 2, 2, 2, 0);
    Corner = S.AddImage({18, 0, 30, 3}, 3, 0, 0, 0, 0, 0, 0);
    Sec = S.AddSection("BUTTON", Green, 3);
    S.M.gd[Sec].BorderIndex = Border;
    S.M.gd[Sec].ImgBR = Corner;
    Look.SkinIndex = Sec;
    Look.SkinSection = "BUTTON";
  }
};

TEST(PaintSection, CornerImagesLieUnderTheBorderOnParentInfoOverIt) {
  TFramedSection F;
  TBitmap32 B = Target(20, 20);
  PaintSection(&F.S.M, F.Look, TCacheInfo{}, false, 1, &B, {0, 0}, B.BoundsRect());
  EXPECT_EQ(B.Pixel(19, 19), FramePx(1, 5, 5)); // the border's corner piece
  EXPECT_EQ(B.Pixel(16, 17), FramePx(1, 0, 0)); // the corner image beside it
  TBitmap32 C = Target(20, 20);
  PaintSectionByIndex(F.Sec, "BUTTON", TCacheInfo{}, -1, -1, &F.S.M, &C, {0, 0}, C.BoundsRect(), 1,
                      true);
  EXPECT_EQ(C.Pixel(19, 19), FramePx(1, 5, 5));

  // Over the parent's answer the border goes first, and no tone is applied even with a border.
  F.Look.HUEOffset = 120;
  TBackgroundInfo Answer;
  Answer.Kind = bkColor;
  Answer.Color = clWhite;
  bool Updating = false;
  TBitmap32 D = Target(21, 21);
  D.Pixel(0, 0) = Px(255, 0, 0);
  EXPECT_TRUE(PaintSectionOnParentInfo(&F.S.M, F.Look, Answer, Updating, false, &D, {0, 0},
                                       {1, 1, 21, 21}, 1));
  EXPECT_FALSE(Updating);
  EXPECT_EQ(D.Pixel(20, 20), FramePx(1, 3, 2)); // the corner image over the border
  EXPECT_EQ(D.Pixel(1, 1), FramePx(1, 0, 0));
  EXPECT_EQ(D.Pixel(0, 0), Px(255, 0, 0));
}

TEST(PaintSection, ABorderSkippedInTheNormalStateDecidesTheTone) {
  TFramedSection F;
  F.S.M.ma[F.Border].DrawMode = dmSkipNormal;
  F.S.M.gd[F.Sec].ImgBR = -1;
  F.S.M.gd[F.Sec].Props[0].Transparency = 50;
  F.S.M.gd[F.Sec].Props[1].Transparency = 50;
  F.Look.HUEOffset = 120;
  TCacheInfo White;
  White.FillColor = clWhite;
  const uint32_t Red = Px(255, 0, 0);
  const uint32_t Face = WithAlpha(ColorToPixel(BlendColors(clWhite, Green, 0.5)), 255);

  // Normal state: no border, and a transparent section without one is not shifted.
  TBitmap32 B = Target(21, 21);
  B.Pixel(0, 0) = Red;
  PaintSection(&F.S.M, F.Look, White, false, 0, &B, {0, 0}, {1, 1, 21, 21});
  EXPECT_EQ(B.Pixel(1, 1), Face);
  EXPECT_EQ(B.Pixel(0, 0), Red);
  // Hot state: the border is drawn and the whole bitmap shifted.
  PaintSection(&F.S.M, F.Look, White, false, 1, &B, {0, 0}, {1, 1, 21, 21});
  EXPECT_EQ(B.Pixel(1, 1), ShiftHuePixel(120, FramePx(1, 0, 0)));
  EXPECT_EQ(B.Pixel(0, 0), ShiftHuePixel(120, Red));

  // By index and over the parent's answer: the same border rule, never a tone.
  TBitmap32 C = Target(20, 20);
  PaintSectionByIndex(F.Sec, "BUTTON", White, -1, -1, &F.S.M, &C, {0, 0}, C.BoundsRect(), 0, true);
  EXPECT_EQ(C.Pixel(0, 0), Face);
  PaintSectionByIndex(F.Sec, "BUTTON", White, -1, -1, &F.S.M, &C, {0, 0}, C.BoundsRect(), 1, true);
  EXPECT_EQ(C.Pixel(0, 0), FramePx(1, 0, 0));
  TBackgroundInfo Answer;
  Answer.Kind = bkColor;
  Answer.Color = clWhite;
  bool Updating = false;
  TBitmap32 D = Target(20, 20);
  PaintSectionOnParentInfo(&F.S.M, F.Look, Answer, Updating, false, &D, {0, 0}, D.BoundsRect(), 0);
  EXPECT_EQ(D.Pixel(0, 0), Face);
  PaintSectionOnParentInfo(&F.S.M, F.Look, Answer, Updating, false, &D, {0, 0}, D.BoundsRect(), 1);
  EXPECT_EQ(D.Pixel(0, 0), FramePx(1, 0, 0));
}

TEST(PaintMaskedTexture, WholeTilesAndTheParentInTheStrips) {
  TTestSkin S(4, 6);
  S.DrawFrames(0, 0, 4, 3, 1, true);
  int Tex = S.AddImage({0, 0, 4, 6}, 1, 1, 0, 0, 0, 0, 10);
  TBitmap32 Par = Parent(), B = Target(10, 7);
  TRect R = B.BoundsRect();
  PaintMaskedTexture(S.M, B, R, NewCacheInfo(&Par, 2, 3), 10, S.M.ma[Tex]);
  EXPECT_EQ(R, NothingLeft);
  EXPECT_EQ(B.Pixel(7, 5), FramePx(0, 3, 2));
  EXPECT_EQ(B.Pixel(8, 0), Par.Pixel(10, 3)); // right strip
  EXPECT_EQ(B.Pixel(0, 6), Par.Pixel(2, 9));  // bottom strip
  // A frame of no width ends at once and draws nothing.
  int Empty = S.AddImage({0, 0, 2, 6}, 3, 1, 0, 0, 0, 0, 0);
  TBitmap32 C = Target(10, 7);
  R = C.BoundsRect();
  PaintMaskedTexture(S.M, C, R, TCacheInfo{}, 0, S.M.ma[Empty]);
  EXPECT_EQ(C.Pixel(0, 0), Ground);
}

TEST(PaintPartByIndex, FlatFieldsByHotState) {
  TTestSkin S(4, 4);
  int Sec = S.AddSection("SCROLLBTN", Green);
  S.M.gd[Sec].HotColor = 0xFF0000;
  S.M.gd[Sec].HotTransparency = 100;
  TBitmap32 B = Target(6, 6);
  PaintPartByIndex(Sec, -1, -1, &S.M, &B, {0, 0}, B.BoundsRect(), 0, false, TCacheInfo{}, -1);
  EXPECT_EQ(B.Pixel(1, 1), WithAlpha(ColorToPixel(Green), 255));
  TCacheInfo Grey;
  Grey.FillColor = 0x808080;
  PaintPartByIndex(Sec, -1, -1, &S.M, &B, {0, 0}, B.BoundsRect(), 1, false, Grey, -1);
  EXPECT_EQ(B.Pixel(1, 1), Px(128, 128, 128));
}

} // namespace
