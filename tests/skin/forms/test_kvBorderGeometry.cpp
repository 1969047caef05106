#include "skin/forms/kvBorderGeometry.h"

#include <gtest/gtest.h>

#include "skin/forms/sFormGeometry.h"

namespace {

constexpr uint32_t Pix(int B, int G, int R, int A) {
  return uint32_t(B) | (uint32_t(G) << 8) | (uint32_t(R) << 16) | (uint32_t(A) << 24);
}

TEST(ExBorderPlacement, ImageClientLiesOverTheOwnersClient) {
  // Owner at (100, 50), 400 x 300; frame 4, caption 19; the skin's border 4 and title 30,
  // shadow 9 on every side: the image's client starts at (4 + 9, 30 + 9).
  TRect Shadow{9, 9, 9, 9};
  TRect R = ExBorderPlacement(Bounds(100, 50, 400, 300), Shadow, 4, 30, 4, 19, {426, 355});
  EXPECT_EQ(R, Bounds(100 - 9, 50 - 16, 426, 355));
  // The owner's client (window x + frame, window y + frame + caption) lands on the image's.
  EXPECT_EQ(R.Left + 4 + 9, 100 + 4);
  EXPECT_EQ(R.Top + 30 + 9, 50 + 4 + 19);
  // Without shadow and with the system's own sizes the image lies on the window.
  EXPECT_EQ(ExBorderPlacement(Bounds(5, 6, 50, 60), {}, 4, 23, 4, 19, {50, 60}),
            Bounds(5, 6, 50, 60));
}

TEST(ExBorderClientCut, FollowsTheResizeAndTheMinimumSize) {
  EXPECT_EQ(ExBorderClientCut({13, 39}, {392, 273}, {400, 300}, 0, 0, {}),
            Bounds(13, 39, 392, 273));
  // Growing by 50 x 20 grows the client by as much.
  EXPECT_EQ(ExBorderClientCut({13, 39}, {392, 273}, {400, 300}, 450, 320, {}),
            Bounds(13, 39, 442, 293));
  // Shrinking stops at the minimum window size; a side of 0 is not resized.
  EXPECT_EQ(ExBorderClientCut({13, 39}, {392, 273}, {400, 300}, 100, 0, {300, 250}),
            Bounds(13, 39, 292, 273));
  // Never a negative client.
  EXPECT_EQ(ExBorderClientCut({13, 39}, {10, 10}, {400, 300}, 50, 50, {}), Bounds(13, 39, 0, 0));
}

TEST(ExBorderMaximizedLimit, CutsFrameBorderAndShadow) {
  EXPECT_EQ(ExBorderMaximizedLimit({426, 355}, {9, 9, 9, 9}, 4, 4), Rect(17, 13, 409, 338));
  EXPECT_EQ(ExBorderMaximizedLimit({20, 20}, {9, 9, 9, 9}, 4, 4), TRect{});
}

TEST(ShadowTemplateMargins, ExBorderImageDrawModeAndBuiltin) {
  EXPECT_EQ(ShadowTemplateMargins(false, {20, 20, 20, 20}, 4, 0, 9), Rect(9, 9, 9, 9));
  EXPECT_EQ(ShadowTemplateMargins(true, {12, 14, 16, 18}, 4, 0, 9), Rect(8, 10, 12, 14));
  EXPECT_EQ(ShadowTemplateMargins(true, {12, 14, 16, 18}, 4, 1, 9), Rect(4, 4, 4, 4));
  // Bands thinner than the content offset give no margin rather than a negative one.
  EXPECT_EQ(ShadowTemplateMargins(true, {2, 14, 3, 18}, 4, 0, 9), Rect(0, 10, 0, 14));
}

TEST(ComposeShadowUnder, CornersCopiedEdgesStretchedOpaquePixelsKept) {
  // A 4 x 4 template with 1-pixel margins: each pixel's blue byte names its place.
  TBitmap32 T(4, 4);
  for (int Y = 0; Y < 4; ++Y)
    for (int X = 0; X < 4; ++X)
      T.Pixel(X, Y) = Pix(Y * 4 + X, 0, 0, 255);
  TBitmap32 Img(10, 6);
  Img.Pixel(5, 3) = Pix(1, 2, 3, 255); // an opaque frame pixel
  ComposeShadowUnder(Img, T, T.BoundsRect(), {1, 1, 1, 1});
  EXPECT_EQ(Img.Pixel(0, 0), T.Pixel(0, 0));
  EXPECT_EQ(Img.Pixel(9, 0), T.Pixel(3, 0));
  EXPECT_EQ(Img.Pixel(0, 5), T.Pixel(0, 3));
  EXPECT_EQ(Img.Pixel(9, 5), T.Pixel(3, 3));
  // The top edge stretches the template's two middle columns over eight.
  EXPECT_EQ(Img.Pixel(1, 0), T.Pixel(1, 0));
  EXPECT_EQ(Img.Pixel(4, 0), T.Pixel(1, 0));
  EXPECT_EQ(Img.Pixel(5, 0), T.Pixel(2, 0));
  EXPECT_EQ(Img.Pixel(8, 0), T.Pixel(2, 0));
  EXPECT_EQ(Img.Pixel(0, 2), T.Pixel(0, 1));
  EXPECT_EQ(Img.Pixel(5, 3), Pix(1, 2, 3, 255));
}

TEST(ComposeShadowUnder, HalfTransparentPixelsMixWithTheShadow) {
  TBitmap32 T(3, 3);
  T.Fill(Pix(0, 0, 0, 128)); // half-black shadow
  TBitmap32 Img(3, 3);
  Img.Pixel(1, 1) = Pix(200, 100, 50, 128); // half-opaque frame pixel
  ComposeShadowUnder(Img, T, T.BoundsRect(), {1, 1, 1, 1});
  // alpha 128 + 128 * 127 / 255 = 128 + 64; colour weighted 128 : 64.
  EXPECT_EQ(Img.Pixel(1, 1), Pix(133, 67, 33, 192));
  EXPECT_EQ(Img.Pixel(0, 0), Pix(0, 0, 0, 128));
  // Nothing to lay: the image is left alone.
  TBitmap32 Empty;
  TBitmap32 Keep(2, 2);
  Keep.Fill(Pix(1, 1, 1, 1));
  ComposeShadowUnder(Keep, Empty, {0, 0, 5, 5}, {1, 1, 1, 1});
  EXPECT_EQ(Keep.Pixel(1, 1), Pix(1, 1, 1, 1));
}

TEST(ComposeShadowUnder, ImageSmallerThanTheMargins) {
  TBitmap32 T(32, 32);
  T.Fill(Pix(0, 0, 0, 50));
  TBitmap32 Img(5, 3);
  ComposeShadowUnder(Img, T, T.BoundsRect(), {9, 9, 9, 9});
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 5; ++X)
      EXPECT_EQ(Img.Pixel(X, Y), Pix(0, 0, 0, 50));
}

TEST(ReweightedShadowPixel, FormulaAndUntouchedPixels) {
  // D = 255: A + (510 - 2A) / 1 = 510 - A; channels lose a sixteenth.
  EXPECT_EQ(ReweightedShadowPixel(Pix(255, 0, 0, 100)), Pix(255 - 15, 0, 0, 255));
  EXPECT_EQ(ReweightedShadowPixel(Pix(255, 0, 0, 200)), Pix(240, 0, 0, 255));
  // D = 64: 100 + 310 / sqrt(255 / 64) = 100 + 155.3 -> 255 (capped).
  EXPECT_EQ(ReweightedShadowPixel(Pix(64, 0, 0, 100)), Pix(60, 0, 0, 255));
  // D = 16: 200 + 110 / sqrt(15.9375) = 200 + 27.55 -> 228.
  EXPECT_EQ(ReweightedShadowPixel(Pix(40, 24, 30, 200)), Pix(38, 23, 29, 228));
  // Grey pixels (D = 0) and opaque ones stay.
  EXPECT_EQ(ReweightedShadowPixel(Pix(80, 80, 80, 10)), Pix(80, 80, 80, 10));
  EXPECT_EQ(ReweightedShadowPixel(Pix(255, 0, 0, 255)), Pix(255, 0, 0, 255));
  TBitmap32 B(2, 1);
  B.Pixel(0, 0) = Pix(255, 0, 0, 100);
  B.Pixel(1, 0) = Pix(9, 9, 9, 9);
  ReweightShadowPixels(B);
  EXPECT_EQ(B.Pixel(0, 0), Pix(240, 0, 0, 255));
  EXPECT_EQ(B.Pixel(1, 0), Pix(9, 9, 9, 9));
}

TEST(PremultipliedCopy, RoundsToNearest) {
  TBitmap32 S(3, 1);
  S.Pixel(0, 0) = Pix(255, 128, 1, 128);
  S.Pixel(1, 0) = Pix(10, 20, 30, 255);
  S.Pixel(2, 0) = Pix(255, 255, 255, 0);
  TBitmap32 D;
  PremultipliedCopy(D, S);
  ASSERT_TRUE(D.SameSize(S));
  EXPECT_EQ(D.Pixel(0, 0), Pix(128, 64, 1, 128));
  EXPECT_EQ(D.Pixel(1, 0), Pix(10, 20, 30, 255));
  EXPECT_EQ(D.Pixel(2, 0), 0u);
}

TEST(PointAboveTheShadow, ShadowBandsOffsetAndZoom) {
  TSize S{100, 80};
  TRect Shadow{9, 9, 9, 12};
  EXPECT_TRUE(PointAboveTheShadow({8, 40}, S, Shadow, 0, false));
  EXPECT_FALSE(PointAboveTheShadow({9, 40}, S, Shadow, 0, false));
  EXPECT_FALSE(PointAboveTheShadow({90, 67}, S, Shadow, 0, false));
  EXPECT_TRUE(PointAboveTheShadow({91, 40}, S, Shadow, 0, false));
  EXPECT_TRUE(PointAboveTheShadow({50, 68}, S, Shadow, 0, false));
  // The offset lets the frame reach into the shadow band.
  EXPECT_FALSE(PointAboveTheShadow({7, 40}, S, Shadow, 2, false));
  EXPECT_FALSE(PointAboveTheShadow({0, 0}, S, Shadow, 0, true));
}

TEST(StretchedToWorkArea, WidthOrHeightLessTheMargins) {
  TRect W = Bounds(100, 50, 400, 300), WA = Rect(0, 0, 1024, 740), M{13, 16, 13, 9};
  EXPECT_EQ(StretchedToWorkArea(W, WA, M, true), Rect(13, 50, 1011, 350));
  EXPECT_EQ(StretchedToWorkArea(W, WA, M, false), Rect(100, 16, 500, 731));
}

TEST(OutlineDragRect, MovesByTheDelta) {
  TRect S = Rect(100, 100, 300, 250);
  EXPECT_EQ(OutlineDragRect(htCaptionCode, S, {-30, 17}, {500, 500}), Rect(70, 117, 270, 267));
}

TEST(OutlineDragRect, EveryBorderMovesItsEdges) {
  TRect S = Rect(100, 100, 300, 250);
  TPoint D{10, -20};
  EXPECT_EQ(OutlineDragRect(htLeftCode, S, D, {}), Rect(110, 100, 300, 250));
  EXPECT_EQ(OutlineDragRect(htRightCode, S, D, {}), Rect(100, 100, 310, 250));
  EXPECT_EQ(OutlineDragRect(htTopCode, S, D, {}), Rect(100, 80, 300, 250));
  EXPECT_EQ(OutlineDragRect(htBottomCode, S, D, {}), Rect(100, 100, 300, 230));
  EXPECT_EQ(OutlineDragRect(htTopLeftCode, S, D, {}), Rect(110, 80, 300, 250));
  EXPECT_EQ(OutlineDragRect(htTopRightCode, S, D, {}), Rect(100, 80, 310, 250));
  EXPECT_EQ(OutlineDragRect(htBottomLeftCode, S, D, {}), Rect(110, 100, 300, 230));
  EXPECT_EQ(OutlineDragRect(htBottomRightCode, S, D, {}), Rect(100, 100, 310, 230));
  // No border known: the bottom-right corner.
  EXPECT_EQ(OutlineDragRect(htClientCode, S, D, {}), Rect(100, 100, 310, 230));
  EXPECT_EQ(OutlineDragRect(0, S, D, {}), Rect(100, 100, 310, 230));
}

TEST(OutlineDragRect, NeverBelowTheMinimumSize) {
  TRect S = Rect(100, 100, 300, 250);
  TSize Min{150, 120};
  EXPECT_EQ(OutlineDragRect(htLeftCode, S, {80, 0}, Min), Rect(150, 100, 300, 250));
  EXPECT_EQ(OutlineDragRect(htRightCode, S, {-80, 0}, Min), Rect(100, 100, 250, 250));
  EXPECT_EQ(OutlineDragRect(htTopCode, S, {0, 60}, Min), Rect(100, 130, 300, 250));
  EXPECT_EQ(OutlineDragRect(htBottomCode, S, {0, -60}, Min), Rect(100, 100, 300, 220));
  EXPECT_EQ(OutlineDragRect(htTopLeftCode, S, {500, 500}, Min), Rect(150, 130, 300, 250));
  EXPECT_EQ(OutlineDragRect(htBottomRightCode, S, {-500, -500}, Min), Rect(100, 100, 250, 220));
  // Growing is never limited; without a minimum the outline stops at an empty rectangle.
  EXPECT_EQ(OutlineDragRect(htLeftCode, S, {-80, 0}, Min), Rect(20, 100, 300, 250));
  EXPECT_EQ(OutlineDragRect(htRightCode, S, {-500, 0}, {}), Rect(100, 100, 100, 250));
  // Moving keeps the size whatever the minimum.
  EXPECT_EQ(OutlineDragRect(htCaptionCode, S, {5, 5}, {1000, 1000}), Rect(105, 105, 305, 255));
}

} // namespace
