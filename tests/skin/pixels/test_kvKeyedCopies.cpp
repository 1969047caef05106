#include <gtest/gtest.h>

#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/pixels/PaintTestUtils.h"

namespace {
constexpr uint32_t K = 0x00FF00FF;

// A 3 x 2 image: the middle column of the first row is the key colour.
TBitmap32 KeyedImage() {
  TBitmap32 B(3, 2);
  B.Fill(0x10203040);
  B.Pixel(1, 0) = K;
  B.Pixel(2, 1) = 0x20506070;
  return B;
}
} // namespace

TEST(CopyKeyed, BackgroundRules) {
  TBitmap32 Src = KeyedImage();
  TBitmap32 Parent(8, 8);
  Parent.Fill(0x77AABBCC);
  Parent.Pixel(3, 4) = 0x11223344;

  // UseParent with a ready background: the key takes the parent's pixel at (x + X, y + Y).
  TBitmap32 D(4, 4);
  D.Fill(0x01010101);
  CopyKeyed(D, Src, 1, true, NewCacheInfo(&Parent, 1, 3), K, {0, 0, 3, 2}, 1);
  EXPECT_EQ(D.Pixel(1, 1), 0x10203040u);
  EXPECT_EQ(D.Pixel(2, 1), 0x11223344u); // parent (2 + 1, 1 + 3)
  EXPECT_EQ(D.Pixel(3, 2), 0x20506070u);
  EXPECT_EQ(D.Pixel(0, 0), 0x01010101u);

  // Painting into the background bitmap itself: keys skipped, the rest opaque.
  TBitmap32 Self(4, 4);
  Self.Fill(0x01010101);
  CopyKeyed(Self, Src, 0, true, NewCacheInfo(&Self, 0, 0), K, {0, 0, 3, 2}, 0);
  EXPECT_EQ(Self.Pixel(0, 0), 0xFF203040u);
  EXPECT_EQ(Self.Pixel(1, 0), 0x01010101u);

  // A ready background without UseParent: keys skipped, others as they are.
  TBitmap32 E(3, 2);
  E.Fill(0x01010101);
  CopyKeyed(E, Src, 0, false, NewCacheInfo(&Parent, 0, 0), K, {0, 0, 3, 2}, 0);
  EXPECT_EQ(E.Pixel(1, 0), 0x01010101u);
  EXPECT_EQ(E.Pixel(0, 0), 0x10203040u);

  // No ready background: keys become the fill colour in pixel order with alpha 0.
  TCacheInfo CI;
  CI.FillColor = RGBColor(1, 2, 3);
  TBitmap32 F(3, 2);
  CopyKeyed(F, Src, 0, true, CI, K, {0, 0, 3, 2}, 0);
  EXPECT_EQ(F.Pixel(1, 0), 0x00010203u);
}

TEST(CopyKeyed, ParentPixelsOutsideTheParent) {
  TBitmap32 Src(3, 1);
  Src.Fill(K);
  Src.Pixel(2, 0) = 0x12345678;
  TBitmap32 Parent(2, 2);
  Parent.Fill(0xFFEEEEEE);
  TBitmap32 D(3, 1);
  D.Fill(0x01010101);
  // Parent x = -1, 0, 1: the first is left of the parent and left alone, the walk goes on.
  CopyKeyed(D, Src, 0, true, NewCacheInfo(&Parent, -1, 0), K, {0, 0, 3, 1}, 0);
  EXPECT_EQ(D.Pixel(0, 0), 0x01010101u);
  EXPECT_EQ(D.Pixel(1, 0), 0xFFEEEEEEu);
  EXPECT_EQ(D.Pixel(2, 0), 0x12345678u);
  // Parent x = 1, 2, 3: right of the parent ends the row.
  D.Fill(0x01010101);
  CopyKeyed(D, Src, 0, true, NewCacheInfo(&Parent, 1, 0), K, {0, 0, 3, 1}, 0);
  EXPECT_EQ(D.Pixel(0, 0), 0xFFEEEEEEu);
  EXPECT_EQ(D.Pixel(1, 0), 0x01010101u);
  EXPECT_EQ(D.Pixel(2, 0), 0x01010101u);
}

TEST(CopyKeyed, ClipsAtEveryEdge) {
  TBitmap32 Src = KeyedImage();
  TCacheInfo Ready = NewCacheInfo(nullptr, 0, 0);
  struct {
    int X, Y;
    TRect SrcR;
    int Copied;
  } Cases[] = {
      {-1, 0, {0, 0, 3, 2}, 3},  // left edge: columns 1 and 2 land on 0 and 1 (one key)
      {0, -1, {0, 0, 3, 2}, 3},  // top edge: the second row only
      {2, 1, {0, 0, 3, 2}, 2},   // right and bottom edges
      {0, 0, {-1, -1, 6, 6}, 3}, // source beyond the image: clipped, still aligned
      {5, 5, {0, 0, 3, 2}, 0},   // outside
      {0, 0, {3, 0, 5, 2}, 0},   // source outside
  };
  for (const auto& C : Cases) {
    TBitmap32 D(3, 3);
    CopyKeyed(D, Src, C.X, false, Ready, K, C.SrcR, C.Y);
    EXPECT_EQ(9 - CountPixels(D, 0), C.Copied) << C.X << "," << C.Y;
  }
  // A negative source corner moves the destination with it.
  TBitmap32 D(4, 4);
  CopyKeyed(D, Src, 0, false, Ready, K, {-1, -1, 3, 2}, 0);
  EXPECT_EQ(D.Pixel(1, 1), 0x10203040u);
  EXPECT_EQ(D.Pixel(0, 0), 0u);
}

TEST(CopyKeyed, DrawBitmapKeyedAndPlain) {
  TBitmap32 Src = KeyedImage();
  TBitmap32 D(3, 2);
  DrawBitmapKeyed(D, Src, 0, clFuchsia, 0);
  EXPECT_EQ(D.Pixel(0, 0), 0xFF203040u);
  EXPECT_EQ(D.Pixel(1, 0), 0u);
  TBitmap32 E(4, 3);
  DrawBitmapKeyed(E, Src, 2, clFuchsia, 2); // cut at both far edges
  EXPECT_EQ(E.Pixel(2, 2), 0xFF203040u);
  EXPECT_EQ(E.Pixel(3, 2), 0u);
  TBitmap32 F(3, 2);
  CopyKeyedPlain(F, Src, 0, K, {0, 0, 3, 2}, 0);
  EXPECT_EQ(F.Pixel(0, 0), 0x10203040u); // alpha as it is
  EXPECT_EQ(F.Pixel(1, 0), 0u);
  EXPECT_EQ(F.Pixel(2, 1), 0x20506070u);
}

namespace {
// A masked region 2 x 4: image rows 0..1, mask rows 2..3. Mask 0 on the left column (image
// shows), 255 on the right (background stays), except the key pixel.
TBitmap32 MaskedRegion() {
  TBitmap32 B(2, 4);
  B.Pixel(0, 0) = 0x00C86432;
  B.Pixel(1, 0) = 0x00102030;
  B.Pixel(0, 1) = K;
  B.Pixel(1, 1) = 0x00405060;
  B.Pixel(0, 2) = 0x00000000;
  B.Pixel(1, 2) = 0x00FFFFFF;
  B.Pixel(0, 3) = 0x00808080;
  B.Pixel(1, 3) = 0x00FFFFFF;
  return B;
}
} // namespace

TEST(CopyMasked, BlendsByTheMaskRowsBelow) {
  TBitmap32 Src = MaskedRegion();
  TBitmap32 D(2, 2);
  D.Fill(0x11646464);
  TCacheInfo None;
  CopyMasked({0, 0, 2, 2}, {0, 0, 2, 2}, D, {0, 0, 2, 4}, false, None, Src);
  EXPECT_EQ(D.Pixel(0, 0), 0x11C86432u); // mask 0: the image pixel
  EXPECT_EQ(D.Pixel(1, 0), 0x11636363u); // mask 255: (almost) the old pixel
  EXPECT_EQ(D.Pixel(0, 1), 0x11646464u); // key skipped
  EXPECT_EQ(D.Pixel(1, 1), 0x11636363u);

  // With a ready background every pixel is blended (the key too) and becomes opaque.
  TBitmap32 Parent(4, 4);
  TBitmap32 E(2, 2);
  E.Fill(0x11646464);
  CopyMasked({0, 0, 2, 2}, {0, 0, 2, 2}, E, {0, 0, 2, 4}, false, NewCacheInfo(&Parent, 0, 0), Src);
  EXPECT_EQ(E.Pixel(0, 1), WithAlpha(BlendPixelByMask(0x646464, K, 0x808080), 255));

  // UseParent with a ready background: the key takes the parent's pixel, opaque.
  Parent.Fill(0x00ABCDEF);
  TBitmap32 F(2, 2);
  CopyMasked({0, 0, 2, 2}, {0, 0, 2, 2}, F, {0, 0, 2, 4}, true, NewCacheInfo(&Parent, 0, 0), Src);
  EXPECT_EQ(F.Pixel(0, 1), 0xFFABCDEFu);
  EXPECT_EQ(F.Pixel(0, 0), 0xFFC86432u);

  // UseParent without one: the key becomes the fill colour with its high byte as alpha.
  TCacheInfo Fill;
  Fill.FillColor = 0x00030201;
  TBitmap32 G(2, 2);
  CopyMasked({0, 0, 2, 2}, {0, 0, 2, 2}, G, {0, 0, 2, 4}, true, Fill, Src);
  EXPECT_EQ(G.Pixel(0, 1), 0x00010203u);
}

TEST(CopyMasked, ClippingKeepsSourceAndDestinationAligned) {
  TBitmap32 Src = MaskedRegion();
  TCacheInfo None;
  TBitmap32 D(2, 2);
  D.Fill(0x11646464);
  // Destination one pixel left of the bitmap: source column 1 lands on column 0.
  CopyMasked({-1, 0, 1, 2}, {0, 0, 2, 2}, D, {0, 0, 2, 4}, false, None, Src);
  EXPECT_EQ(D.Pixel(0, 0), 0x11636363u);
  EXPECT_EQ(D.Pixel(1, 0), 0x11646464u);
  // Wholly outside, or an empty piece: nothing.
  CopyMasked({2, 0, 4, 2}, {0, 0, 2, 2}, D, {0, 0, 2, 4}, false, None, Src);
  CopyMasked({0, 0, 2, 2}, {0, 0, 0, 2}, D, {0, 0, 2, 4}, false, None, Src);
  EXPECT_EQ(D.Pixel(1, 1), 0x11646464u);
}

TEST(StretchMasked, CentrePixelFastPath) {
  TBitmap32 Src(1, 2);
  Src.Pixel(0, 0) = 0x00102030;
  Src.Pixel(0, 1) = 0x000000FF; // mask red byte 0
  TBitmap32 D(4, 4);
  D.Fill(0x22646464);
  // Mask byte 255: the destination stays untouched.
  Src.Pixel(0, 1) = 0x00FF0000;
  StretchMasked(0, 0, 4, true, 1, Src, D, 1, 1, 0, 0, 4);
  EXPECT_EQ(CountPixels(D, 0x22646464), 16);
  // Mask byte 0: a fill with the image pixel.
  Src.Pixel(0, 1) = 0x00000000;
  StretchMasked(1, 1, 2, true, 1, Src, D, 1, 1, 0, 0, 2);
  EXPECT_EQ(D.Pixel(1, 1), 0xFF102030u);
  EXPECT_EQ(D.Pixel(3, 3), 0x22646464u);
  // Anything else: a blend with that weight, alpha untouched; clipped to Dst.
  Src.Pixel(0, 1) = 0x00800000;
  StretchMasked(3, 3, 5, true, 1, Src, D, 1, 1, 0, 0, 5);
  EXPECT_EQ(D.Pixel(3, 3), WithAlpha(BlendPixel(0x646464, 0x102030, 128), 0x22));
}

TEST(StretchMasked, ClipsRowsAndColumns) {
  // A 2 x 2 image over its mask; a stretch reaching far beyond the destination on both sides.
  TBitmap32 Src(2, 4);
  Src.Fill(0x00FF0000);
  Src.Pixel(0, 2) = Src.Pixel(1, 2) = Src.Pixel(0, 3) = Src.Pixel(1, 3) = 0; // mask shows all
  TBitmap32 D(5, 5);
  StretchMasked(3, 3, 40, false, 2, Src, D, 2, 2, 0, 0, 40);
  EXPECT_EQ(D.Pixel(4, 4), 0xFFFF0000u);
  EXPECT_EQ(D.Pixel(2, 4), 0u);
  // Refused: negative origin, empty size, tiny destination, piece beyond the source.
  TBitmap32 E(5, 5);
  StretchMasked(-1, 0, 3, false, 2, Src, E, 2, 2, 0, 0, 3);
  StretchMasked(0, 0, 0, false, 2, Src, E, 2, 2, 0, 0, 3);
  StretchMasked(0, 0, 3, false, 2, Src, E, 2, 2, 1, 0, 3);
  TBitmap32 Tiny(1, 5);
  StretchMasked(0, 0, 1, false, 2, Src, Tiny, 2, 2, 0, 0, 3);
  EXPECT_EQ(CountPixels(E, 0), 25);
  EXPECT_EQ(CountPixels(Tiny, 0), 5);
}

TEST(StretchMasked, FilteredAndPlainPaths) {
  // A flat image under a flat half mask: every path gives the same blend.
  TBitmap32 Src(3, 6);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      Src.Pixel(x, y) = 0x00C8C8C8;
      Src.Pixel(x, y + 3) = 0x00000000;
    }
  TBitmap32 Shrunk(8, 8), Centre(8, 8), Plain(8, 8), NoMask(8, 8);
  StretchMasked(0, 0, 2, false, 3, Src, Shrunk, 3, 3, 0, 0, 3); // narrower at equal height
  StretchMasked(0, 0, 7, true, 3, Src, Centre, 3, 3, 0, 0, 5);  // centre: filtered
  StretchMasked(0, 0, 7, false, 3, Src, Plain, 3, 3, 0, 0, 5);  // plain stretch
  StretchMasked(1, 1, 6, false, 0, Src, NoMask, 3, 3, 0, 0, 6); // no mask: a plain copy
  EXPECT_EQ(Plain.Pixel(6, 4), 0xFFC8C8C8u);
  EXPECT_EQ(Plain.Pixel(7, 4), 0u);
  EXPECT_EQ(NoMask.Pixel(1, 1), 0x00C8C8C8u);
  EXPECT_EQ(NoMask.Pixel(6, 6), 0x00C8C8C8u);
  EXPECT_EQ(NoMask.Pixel(7, 7), 0u);
  // Mitchell does not keep a flat area exactly; it stays within a step.
  EXPECT_NEAR(PixR(Shrunk.Pixel(1, 2)), 200, 2);
  EXPECT_NEAR(PixG(Centre.Pixel(3, 2)), 200, 2);
  EXPECT_EQ(Shrunk.Pixel(2, 0), 0u);
}

TEST(CopyMaskedImage, ModesAndAlpha) {
  TBitmap32 Src(2, 2); // 1 row of image over 1 row of mask
  Src.Pixel(0, 0) = 0x00FF0000;
  Src.Pixel(1, 0) = 0x00FF0000;
  Src.Pixel(0, 1) = 0x00000000;
  Src.Pixel(1, 1) = 0x00FFFFFF; // fully transparent: skipped, alpha untouched
  TBitmap32 D(2, 1);
  D.Fill(0x40000000);
  CopyMaskedImage({0, 0, 2, 1}, {0, 0, 2, 1}, D, {0, 0, 2, 2}, 1, 1, Src);
  EXPECT_EQ(D.Pixel(0, 0), 0xFEFF0000u); // alpha 64 + (191 * 255 >> 8)
  EXPECT_EQ(D.Pixel(1, 0), 0x40000000u);
  // Another mode draws fainter: weight min(0 + 100, 255).
  TBitmap32 E(2, 1);
  CopyMaskedImage({0, 0, 2, 1}, {0, 0, 2, 1}, E, {0, 0, 2, 2}, 1, 0, Src);
  EXPECT_EQ(E.Pixel(0, 0), WithAlpha(BlendPixel(0, 0x00FF0000, 100), 254));
  // Without a mask: a keyed copy.
  TBitmap32 Img(2, 1), F(2, 1);
  Img.Pixel(0, 0) = K;
  Img.Pixel(1, 0) = 0x01020304;
  CopyMaskedImage({0, 0, 2, 1}, {0, 0, 2, 1}, F, {0, 0, 2, 1}, 0, 1, Img);
  EXPECT_EQ(F.Pixel(0, 0), 0u);
  EXPECT_EQ(F.Pixel(1, 0), 0x01020304u);
}

TEST(CopyAlpha32, CompositesAndClips) {
  TBitmap32 Src(2, 1);
  Src.Pixel(0, 0) = 0x80FF0000; // red at alpha 128
  Src.Pixel(1, 0) = K;
  TBitmap32 D(2, 1);
  D.Fill(0x400000FF);
  TCacheInfo None;
  CopyAlpha32({0, 0, 2, 1}, {0, 0, 2, 1}, D, false, None, Src);
  // ((s - d) * a + d * 256) >> 8: red 127, blue 127; alpha 64 + 128 * 191 / 255 = 159.
  EXPECT_EQ(D.Pixel(0, 0), 0x9F7F007Fu);
  // Without a ready background the key colour is composited like any pixel (alpha 0).
  EXPECT_EQ(D.Pixel(1, 0), 0x400000FFu);

  TBitmap32 Parent(2, 1);
  Parent.Fill(0x00123456);
  TBitmap32 E(2, 1);
  CopyAlpha32({0, 0, 2, 1}, {0, 0, 2, 1}, E, true, NewCacheInfo(&Parent, 0, 0), Src);
  EXPECT_EQ(E.Pixel(1, 0), 0xFF123456u);
  TBitmap32 F(2, 1);
  CopyAlpha32({0, 0, 2, 1}, {0, 0, 2, 1}, F, false, NewCacheInfo(&Parent, 0, 0), Src);
  EXPECT_EQ(F.Pixel(1, 0), 0u);

  // A negative destination origin moves the source origin.
  TBitmap32 G(2, 1);
  Src.Pixel(1, 0) = 0xFF00FF00;
  CopyAlpha32({-1, 0, 1, 1}, {0, 0, 2, 1}, G, false, None, Src);
  EXPECT_EQ(G.Pixel(0, 0), 0xFF00FE00u);
  EXPECT_EQ(G.Pixel(1, 0), 0u);
}

TEST(CopyAlpha32, ExBlendKeyAndReflection) {
  TBitmap32 Src(1, 4);
  Src.Fill(0xFFFFFFFF);
  TBitmap32 D(1, 8);
  TCacheInfo None;
  CopyAlpha32Ex({0, 0, 1, 4}, {0, 0, 1, 4}, D, false, 50, NoKey, false, None, Src);
  // Alpha 255 * 50 / 100 = 127: (255 * 127) >> 8 = 126; alpha max(0, 127).
  EXPECT_EQ(D.Pixel(0, 0), 0x7F7E7E7Eu);
  EXPECT_EQ(D.Pixel(0, 4), 0u);

  TBitmap32 R(1, 8);
  CopyAlpha32Ex({0, 0, 1, 4}, {0, 0, 1, 4}, R, true, 0, NoKey, false, None, Src);
  EXPECT_EQ(R.Pixel(0, 3), 0xFFFEFEFEu);
  // Two reflected rows, alpha 255 * 2/2 * 255 / 1024 = 63, then 31.
  EXPECT_EQ(R.Pixel(0, 4), 0x3F3E3E3Eu);
  EXPECT_EQ(R.Pixel(0, 5), 0x1F1E1E1Eu);
  EXPECT_EQ(R.Pixel(0, 6), 0u);

  TBitmap32 Keyed(1, 2);
  Src.Pixel(0, 0) = 0xFF010203;
  CopyAlpha32Ex({0, 0, 1, 2}, {0, 0, 1, 2}, Keyed, false, 0, 0xFF010203, false, None, Src);
  EXPECT_EQ(Keyed.Pixel(0, 0), 0u);
  EXPECT_EQ(Keyed.Pixel(0, 1), 0xFFFEFEFEu);
}

TEST(RestoreKeyedCorner, ReferenceFromDstOrMask) {
  TBitmap32 Src(4, 4);
  Src.Fill(0xFF112233);
  TBitmap32 D(3, 3);
  D.Fill(0xAA000000);
  D.Pixel(1, 1) = 0x12FF00FF; // low 24 bits are the key: restored
  RestoreKeyedCorner(D, Src, {0, 0, 9, 9}, HTTOPLEFT_CORNER, nullptr, {0, 0});
  EXPECT_EQ(D.Pixel(1, 1), 0xFF112233u);
  EXPECT_EQ(D.Pixel(0, 0), 0xAA000000u);

  // The bottom-right corner of a 6 x 6 frame at (10, 0) with borders of 2.
  TBitmap32 MaskBmp(16, 6);
  MaskBmp.Pixel(14 + 1, 4 + 0) = 0x00FF00FF;
  TCornerMask M{&MaskBmp, {10, 0}, 6, 6, 2, 2};
  TBitmap32 E(2, 2);
  RestoreKeyedCorner(E, Src, {0, 0, 2, 2}, HTBOTTOMRIGHT_CORNER, &M, {1, 1});
  EXPECT_EQ(E.Pixel(1, 0), 0xFF112233u);
  EXPECT_EQ(CountPixels(E, 0), 3);
  // Clipped at a negative origin: the offsets stay those of the unclipped rectangle.
  TBitmap32 F(2, 2);
  RestoreKeyedCorner(F, Src, {-1, 0, 1, 2}, HTBOTTOMRIGHT_CORNER, &M, {0, 0});
  EXPECT_EQ(F.Pixel(0, 0), 0xFF112233u);
}
