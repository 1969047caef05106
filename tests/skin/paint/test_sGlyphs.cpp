#include "skin/paint/sGlyphs.h"

#include <gtest/gtest.h>

#include "skin/pixels/kvPixelMath.h"

namespace {

constexpr uint32_t Fuchsia = 0xFFFF00FF; // as a 32-bit image stores it, alpha included
uint32_t Px(int R, int G, int B) {
  return MakePixel(B, G, R, 255);
}

// A glyph of Frames frames of 3 x 2, frame k filled with red 10 + k; the transparent colour
// (bottom-left pixel of every frame) is fuchsia.
TBitmap32 FramesGlyph(int Frames) {
  TBitmap32 G(3 * Frames, 2);
  for (int k = 0; k < Frames; ++k)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        G.Pixel(3 * k + x, y) = x == 0 && y == 1 ? Fuchsia : Px(10 + k, 0, 0);
  return G;
}

int FrameDrawn(const TBitmap32& Glyph, int Frames, int State, int Down, bool Classic = false) {
  TBitmap32 Dst(3, 2);
  Dst.Fill(Px(1, 1, 1));
  DrawGlyphFrame({&Glyph, Classic}, Dst, {0, 0, 3, 2}, Down, 0, State, dkBlended, true, Frames);
  if (Dst.Pixel(0, 1) != Px(1, 1, 1)) return -100; // the transparent pixel was drawn
  return Dst.Pixel(1, 0) == Px(1, 1, 1) ? -1 : PixR(Dst.Pixel(1, 0)) - 10;
}

} // namespace

TEST(Glyphs, FrameByStateInTheSkinAndTheClassicLayout) {
  TBitmap32 Three = FramesGlyph(3);
  EXPECT_EQ(FrameDrawn(Three, 3, 0, 0), 0);
  EXPECT_EQ(FrameDrawn(Three, 3, 1, 0), 1);
  EXPECT_EQ(FrameDrawn(Three, 3, 2, 0), 2);
  EXPECT_EQ(FrameDrawn(Three, 3, 2, 1), 1) << "frame 3 does not exist";
  EXPECT_EQ(FrameDrawn(Three, 3, 3, 0), 0);
  EXPECT_EQ(FrameDrawn(Three, 3, 7, 0), -1) << "a state outside 0..3 draws nothing";
  TBitmap32 Four = FramesGlyph(4);
  EXPECT_EQ(FrameDrawn(Four, 4, 1, 0, true), 0);
  EXPECT_EQ(FrameDrawn(Four, 4, 2, 0, true), 2);
  EXPECT_EQ(FrameDrawn(Four, 4, 2, 1, true), 3);
  EXPECT_EQ(FrameDrawn(Four, 4, 3, 0, true), 3);
  EXPECT_EQ(GlyphFrameOf(1, false, 0, 4, false), 0) << "disabled shows frame 0";
}

TEST(Glyphs, ACountOfZeroOrLessIsOneFrame) {
  TBitmap32 One = FramesGlyph(1);
  for (int Count : {0, -2}) {
    TBitmap32 Dst(3, 2);
    Dst.Fill(Px(1, 1, 1));
    DrawGlyphFrame({&One, false}, Dst, {0, 0, 3, 2}, 0, 0, 1, dkBlended, true, Count);
    EXPECT_EQ(Dst.Pixel(1, 0), Px(10, 0, 0)) << Count;
    EXPECT_EQ(Dst.Pixel(0, 1), Px(1, 1, 1)) << Count;
  }
}

TEST(Glyphs, DisabledOneFrameGlyphKeepsItsTransparentPixels) {
  TBitmap32 G(2, 2);
  G.Pixel(0, 0) = Px(90, 30, 0);
  G.Pixel(1, 0) = Px(0, 60, 90);
  G.Pixel(0, 1) = Fuchsia; // the transparent colour
  G.Pixel(1, 1) = Fuchsia;
  TBitmap32 Dst(2, 2);
  Dst.Fill(Px(200, 100, 0));
  DrawGlyphFrame({&G, false}, Dst, {0, 0, 2, 2}, 0, 0, 0, dkGrayed | dkBlended, false, 1);
  // Grayed ((90 + 30 + 0) div 3 = 40), then half over what lies below.
  EXPECT_EQ(Dst.Pixel(0, 0), Px(120, 70, 20));
  EXPECT_EQ(Dst.Pixel(0, 1), Px(200, 100, 0)) << "the key pixel stays transparent";
  EXPECT_EQ(Dst.Pixel(1, 1), Px(200, 100, 0));
  TBitmap32 Plain(2, 2);
  Plain.Fill(Px(5, 5, 5));
  DrawGlyphFrame({&G, false}, Plain, {0, 0, 2, 2}, 0, 0, 0, dkGrayed, false, 1);
  EXPECT_EQ(Plain.Pixel(0, 0), Px(40, 40, 40));
  EXPECT_EQ(Plain.Pixel(1, 1), Px(5, 5, 5));
}

TEST(Glyphs, EnabledNormalGlyphBlendsWithWhatLiesUnder) {
  TBitmap32 G(1, 2);
  G.Pixel(0, 0) = Px(100, 0, 200);
  G.Pixel(0, 1) = Fuchsia;
  TBitmap32 Dst(1, 2);
  Dst.Fill(Px(0, 100, 0));
  DrawGlyphFrame({&G, false}, Dst, {0, 0, 1, 2}, 0, 25, 0, dkBlended, true, 1);
  EXPECT_EQ(Dst.Pixel(0, 0), Px(75, 25, 150));
  EXPECT_EQ(Dst.Pixel(0, 1), Px(0, 100, 0));
}

TEST(Glyphs, DisabledLookGraysThenBlendsWithTheParent) {
  TBitmap32 Face(2, 1);
  Face.Pixel(0, 0) = Px(30, 60, 90); // gray 60
  Face.Pixel(1, 0) = Px(200, 0, 100);
  TBitmap32 Parent(5, 3);
  Parent.Fill(Px(160, 110, 10));
  Parent.Pixel(3, 2) = 0x00FF00FF; // fuchsia: the face stays there
  TCacheInfo CI = NewCacheInfo(&Parent, 1, 1);
  ApplyDisabledLook(Face, dkGrayed | dkBlended, {1, 1}, CI, clWhite);
  // 40 % face, 60 % parent.
  EXPECT_EQ(Face.Pixel(0, 0), Px(120, 90, 30));
  EXPECT_EQ(Face.Pixel(1, 0), Px(100, 100, 100));
}

TEST(Glyphs, DisabledLookWithoutAParentImageMixesHalfWithItsColour) {
  TBitmap32 Face(1, 1);
  Face.Pixel(0, 0) = Px(100, 0, 50);
  TCacheInfo CI;
  CI.FillColor = RGBColor(0, 100, 250);
  ApplyDisabledLook(Face, dkBlended, {}, CI, clWhite);
  EXPECT_EQ(Face.Pixel(0, 0), Px(50, 50, 150));
  Face.Pixel(0, 0) = Px(100, 0, 50);
  CI.FillColor = clFuchsia; // unknown: the control's own colour
  ApplyDisabledLook(Face, dkBlended, {}, CI, RGBColor(0, 0, 0));
  EXPECT_EQ(Face.Pixel(0, 0), Px(50, 0, 25));
  Face.Pixel(0, 0) = Px(100, 0, 50);
  ApplyDisabledLook(Face, 0, {}, CI, clBlack);
  EXPECT_EQ(Face.Pixel(0, 0), Px(100, 0, 50));
}
