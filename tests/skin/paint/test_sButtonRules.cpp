#include "skin/paint/sButtonRules.h"

#include <gtest/gtest.h>

TEST(ButtonRules, StateTableFirstMatchWins) {
  TButtonStateFacts F;
  EXPECT_EQ(ButtonStateOf(F), bstNormal);
  F.Default = true;
  EXPECT_EQ(ButtonStateOf(F), bstDefault);
  F.Active = true;
  EXPECT_EQ(ButtonStateOf(F), bstHot);
  F.Designing = true;
  EXPECT_EQ(ButtonStateOf(F), bstDefault) << "a designer shows no hot face";
  F.Designing = false;
  F.Pushed = true;
  EXPECT_EQ(ButtonStateOf(F), bstPressed) << "pushed from the keyboard";
  F.MouseHeld = true;
  EXPECT_EQ(ButtonStateOf(F), bstHot) << "held with the mouse outside";
  F.MouseAbove = true;
  EXPECT_EQ(ButtonStateOf(F), bstPressed);
  TButtonStateFacts G;
  G.PressedFlash = true;
  EXPECT_EQ(ButtonStateOf(G), bstPressed);
  G = {};
  G.Down = true;
  EXPECT_EQ(ButtonStateOf(G), bstPressed);
  G = {};
  G.DroppedDown = true;
  EXPECT_EQ(ButtonStateOf(G), bstPressed);
}

TEST(ButtonRules, DefaultLooksHotOnASectionOfFewerThanFourStates) {
  EXPECT_EQ(ButtonSectionState(bstDefault, 3), 1);
  EXPECT_EQ(ButtonSectionState(bstDefault, 4), 3);
  EXPECT_EQ(ButtonSectionState(bstDefault, 1), 0);
  EXPECT_EQ(ButtonSectionState(bstPressed, 2), 1);
  EXPECT_EQ(ButtonSectionState(bstPressed, 3), 2);
  EXPECT_EQ(ButtonSectionState(bstHot, 1), 0);
  EXPECT_EQ(ButtonSectionState(bstNormal, 0), 0);
}

TEST(ButtonRules, PushButtonCaptionIsCentredAndMovesWhenPressed) {
  TButtonLayout L;
  L.Width = 145;
  L.Height = 30;
  L.TextWidth = 107;
  L.TextHeight = 13;
  EXPECT_EQ(CaptionMeasureWidth(L), 145);
  EXPECT_EQ(ButtonCaptionRect(L), Rect(18, 8, 127, 22));
  L.Pressed = true;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(19, 9, 128, 23));
  // div truncates toward zero: a text wider than the button starts left of it.
  L = {};
  L.Width = 10;
  L.Height = 5;
  L.TextWidth = 15;
  L.TextHeight = 8;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(-3, -1, 14, 6));
  EXPECT_TRUE(ButtonGlyphRect(L).IsEmpty());
}

TEST(ButtonRules, CaptionAndGlyphBesideTheImageForEachAlignment) {
  TButtonLayout L;
  L.Width = 200;
  L.Height = 60;
  L.ContentMargin = 6;
  L.ImageMargins = {2, 3, 4, 5};
  L.HasImage = true;
  L.ImageWidth = 16;
  L.ImageHeight = 20;
  L.TextWidth = 50;
  L.TextHeight = 13;
  L.ImageAlignment = iaLeft;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(28, 23, 194, 37));
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(8, 20, 16, 20));
  L.ImageAlignment = iaRight;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(6, 23, 172, 37));
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(200 - 4 - 6 - 16, 20, 16, 20));
  L.ImageAlignment = iaTop; // T0 = 3 + 12 + 20 = 35
  EXPECT_EQ(ButtonCaptionRect(L), Rect(6, 35 + (60 - 6 - 35 - 13) / 2, 194, 38 + 13));
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(92, 9, 16, 20));
  L.ImageAlignment = iaBottom; // B0 = 60 - (5 + 6 + 20 + 3) = 26
  EXPECT_EQ(ButtonCaptionRect(L), Rect(6, 3 + (26 - 3 - 13) / 2, 194, 8 + 13));
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(92, 60 - 5 - 6 - 20, 16, 20));
  L.ImageAlignment = iaCenter;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(74, 23, 126, 37));
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(92, 20, 16, 20));
  L.Pressed = true;
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(93, 21, 16, 20));
}

TEST(ButtonRules, CommandLinkAndSplitButtonLayouts) {
  TButtonLayout L;
  L.Width = 200;
  L.Height = 60;
  L.Style = bsCommandLink;
  L.TextWidth = 80;
  L.TextHeight = 16;
  // Without an image the image column is 32 pixels.
  EXPECT_EQ(CaptionMeasureWidth(L), 200 - 12 - 32 - 6);
  EXPECT_EQ(ButtonCaptionRect(L), Rect(32 + 6 + 6, 6, 194, 22));
  L.HasImage = true;
  L.ImageWidth = 24;
  L.ImageHeight = 24;
  L.ImageMargins = {1, 0, 2, 0};
  EXPECT_EQ(ButtonCaptionRect(L).Left, 27 + 6 + 6);
  EXPECT_EQ(ButtonGlyphRect(L), Bounds(7, 6, 24, 24));
  L = {};
  L.Style = bsSplitButton;
  L.Width = 116;
  L.Height = 30;
  L.TextWidth = 40;
  L.TextHeight = 13;
  EXPECT_EQ(ButtonCaptionRect(L), Rect(29, 8, 71, 22)) << "centred in Width - 16";
  L.Width = 10;
  EXPECT_EQ(CaptionMeasureWidth(L), 0);
}

TEST(ButtonRules, GlyphIndexPerStateFallsBackToTheNormalImage) {
  TButtonImageIndexes I{0, 1, 2, 3, 4};
  EXPECT_EQ(ButtonGlyphIndex(I, 5, false, bstHot, true), 4);
  EXPECT_EQ(ButtonGlyphIndex(I, 5, true, bstPressed, true), 2);
  EXPECT_EQ(ButtonGlyphIndex(I, 5, true, bstHot, true), 3);
  EXPECT_EQ(ButtonGlyphIndex(I, 5, true, bstHot, false), 1);
  EXPECT_EQ(ButtonGlyphIndex(I, 5, true, bstNormal, false), 0);
  EXPECT_EQ(ButtonGlyphIndex(I, 4, false, bstNormal, false), 0) << "4 is not below the count";
  I.PressedImageIndex = -1;
  EXPECT_EQ(ButtonGlyphIndex(I, 5, true, bstPressed, false), 0);
}

TEST(ButtonRules, FocusDotsEveryThirdPixelWithTheFaceColourBefore) {
  TBitmap32 B(12, 8);
  B.Fill(0);
  const TColor Face = 0x0000D4D0;
  DrawFocusDots(B, {1, 1, 11, 7}, clBlack, Face);
  auto Ink = [&](int X, int Y) { return B.Pixel(X, Y) == 0xFF000000u; };
  auto IsFace = [&](int X, int Y) { return B.Pixel(X, Y) == (ColorToPixel(Face) | 0xFF000000u); };
  // Top edge: dots at x = 1, 4, 7, 10, the face colour at 3, 6, 9.
  for (int X : {1, 4, 7, 10}) {
    EXPECT_TRUE(Ink(X, 1)) << X;
    EXPECT_TRUE(Ink(X, 6)) << X << " bottom edge on the last row";
  }
  for (int X : {3, 6, 9}) {
    EXPECT_TRUE(IsFace(X, 1)) << X;
    EXPECT_TRUE(IsFace(X, 6)) << X;
  }
  EXPECT_EQ(B.Pixel(2, 1), 0u);
  EXPECT_EQ(B.Pixel(0, 1), 0u) << "nothing before the corner";
  for (int Y : {1, 4}) {
    EXPECT_TRUE(Ink(1, Y));
    EXPECT_TRUE(Ink(10, Y)) << "right edge on the last column";
  }
  EXPECT_TRUE(IsFace(1, 3));
  EXPECT_TRUE(IsFace(10, 3));
  EXPECT_EQ(B.Pixel(5, 3), 0u) << "the inside is left alone";
  // Rectangles reaching outside the bitmap are clipped.
  DrawFocusDots(B, {-5, -5, 40, 40}, clBlack, Face);
}
