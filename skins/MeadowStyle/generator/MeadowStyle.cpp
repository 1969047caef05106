// meadowgen: draws the images of the program's own skin, MeadowStyle, and writes its options.
//
//   meadowgen OPTIONS_TEMPLATE OUT_DIR
//
// writes OUT_DIR/Master.bmp, OUT_DIR/ButtonHuge.bmp and OUT_DIR/Options.dat. The template is
// the options text with placeholders that the generator fills in:
//   {#RRGGBB}            the colour as the options write it (decimal, red in the low byte)
//   {V #RRGGBB #RRGGBB}  a vertical gradient from the first colour to the second
//   {H #RRGGBB #RRGGBB}  the same from left to right
//   {@NAME}              the image value of the region NAME drawn below
// Drawing is integer arithmetic (design coordinates are turned into whole eighths of a pixel
// first), so the same source gives the same bytes with every compiler and build type.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "skins/MeadowStyle/generator/MeadowPaint.h"

namespace {

// The meadow palette.
constexpr TRgb White = Rgb(0xFFFFFF);
constexpr TRgb Ground = Rgb(0xF4F7EC);
constexpr TRgb Leaf = Rgb(0x5E9E3A);      // the accent green
constexpr TRgb DeepLeaf = Rgb(0x3F7D25);  // pressed, focused, active frame
constexpr TRgb Forest = Rgb(0x2F6A1C);    // darkest green
constexpr TRgb Stem = Rgb(0x7DA862);      // button borders
constexpr TRgb Sage = Rgb(0x9DBF86);      // edit and menu borders
constexpr TRgb Pale = Rgb(0xB9D3A3);      // thumbs, quiet borders
constexpr TRgb PaleHot = Rgb(0xA3C78A);   // hot thumb
constexpr TRgb Moss = Rgb(0x8DB872);      // pressed thumb
constexpr TRgb Mist = Rgb(0xC9DBB8);      // separators
constexpr TRgb Poppy = Rgb(0xD2503F);     // hot close button
constexpr TRgb PoppyDeep = Rgb(0xA93A2C); // pressed close button
constexpr TRgb Bark = Rgb(0x1F2A18);      // text
constexpr TRgb Shadow = Rgb(0x1E3A10);

// Eighths of a pixel.
constexpr int E = 8;

// One image region of the skin and how the options write it.
struct TRegion {
  char Kind = '@'; // '@' glyph, '^' border, '~' texture, '#' number-sign border
  int X = 0, Y = 0, W = 0, H = 0;
  int Frames = 1, MaskType = 1;
  int WL = 0, WT = 0, WR = 0, WB = 0;
  int DrawMode = 0, BorderWidth = 0;
  std::string SignName;
};

std::string Notation(const TRegion& R) {
  char Buf[128];
  int L = R.X, T = R.Y, Rt = R.X + R.W, B = R.Y + R.H;
  switch (R.Kind) {
  case '@':
    std::snprintf(Buf, sizeof Buf, "@%04d@%04d@%04d@%04d@%d@%d", L, T, Rt, B, R.Frames, R.MaskType);
    break;
  case '^':
    std::snprintf(Buf, sizeof Buf, "^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%d^%d^%d^%d", L, T, Rt,
                  B, R.WL, R.WT, R.WR, R.WB, R.Frames, R.MaskType, R.DrawMode, R.BorderWidth);
    break;
  case '~':
    std::snprintf(Buf, sizeof Buf, "~%04d~%04d~%04d~%04d~%02d~%d", L, T, Rt, B, R.DrawMode,
                  R.MaskType);
    break;
  case '#':
    std::snprintf(Buf, sizeof Buf, "#%s (%d,%d,%d,%d) (%d,%d,%d,%d)", R.SignName.c_str(), L, T, Rt,
                  B, R.Frames, R.MaskType, R.BorderWidth, R.DrawMode);
    break;
  default: throw std::logic_error("unknown region kind");
  }
  return Buf;
}

// How a border frame looks: an outline around a rounded rectangle, with optional lines and
// shades inside it. Whatever stays unpainted inside shows the section's own background; the
// outside of the rounded corners is key colour and shows the parent.
struct TFrameStyle {
  int Radius[4] = {0, 0, 0, 0}; // top-left, top-right, bottom-right, bottom-left, in pixels
  bool Open[4] = {false, false, false, false}; // left, top, right, bottom: no outline there
  TRgb Outline = Stem;
  int OutlineOpacity = 255;
  int OutlineWidth = 1;
  TRgb TopLine = White; // the first row inside the outline
  int TopLineOpacity = 0;
  TRgb InnerShade = Shadow; // inner shadow at the top (pressed look), fading over 3 rows
  int InnerShadeOpacity = 0;
  TRgb BottomShade = Shadow; // a soft darkening of the lowest rows
  int BottomShadeOpacity = 0;
  int BottomShadeRows = 0;
  TRgb Accent = Leaf; // a bar along the top (selected tab)
  int AccentRows = 0;
  TRgb Glow = Leaf; // a second ring just inside the outline (focus)
  int GlowOpacity = 0;
  TRgb Fill = Shadow; // over the whole inside (a pressed face is darker)
  int FillOpacity = 0;
};

TFrameStyle Rounded(int Radius, TRgb Outline) {
  TFrameStyle S;
  for (int& R : S.Radius)
    R = Radius;
  S.Outline = Outline;
  return S;
}

// The outer shape of a frame W x H: open sides reach past the frame, so that they have
// neither outline nor rounding there.
void OuterRect(const TFrameStyle& S, int W, int H, int Inset, int& L, int& T, int& R, int& B) {
  L = S.Open[0] ? -4 * E : Inset * E;
  T = S.Open[1] ? -4 * E : Inset * E;
  R = S.Open[2] ? (W + 4) * E : (W - Inset) * E;
  B = S.Open[3] ? (H + 4) * E : (H - Inset) * E;
}

TCoverage Shape(const TFrameStyle& S, int W, int H, int Inset) {
  TCoverage C(W, H);
  int L, T, R, B;
  OuterRect(S, W, H, Inset, L, T, R, B);
  auto Rad = [&](int i) { return std::max(0, S.Radius[i] - Inset) * E; };
  C.AddRoundRect(L, T, R, B, Rad(0), Rad(1), Rad(2), Rad(3));
  return C;
}

struct TFrame {
  TLayers Layers;
  TCoverage Inside;
};

TFrame DrawFrame(int W, int H, const TFrameStyle& S) {
  TFrame F{TLayers(W, H), Shape(S, W, H, 0)};
  int Ow = S.OutlineWidth;
  TCoverage Inner = Shape(S, W, H, Ow);
  TCoverage Ring = F.Inside;
  Ring.Subtract(Inner);
  F.Layers.Paint(Ring, S.Outline, S.OutlineOpacity);
  if (S.FillOpacity > 0) F.Layers.Paint(Inner, S.Fill, S.FillOpacity);
  if (S.GlowOpacity > 0) {
    TCoverage Glow = Inner;
    Glow.Subtract(Shape(S, W, H, Ow + 1));
    F.Layers.Paint(Glow, S.Glow, S.GlowOpacity);
  }
  // Lines and shades inside the outline, clipped to the inner shape.
  auto InnerRows = [&](int Row0, int Rows, TRgb C, int Opacity, bool Fade) {
    for (int r = 0; r < Rows; ++r) {
      int y = Row0 + r;
      int Op = Fade ? Opacity * (Rows - r) / Rows : Opacity;
      for (int x = 0; x < W; ++x)
        if (y >= 0 && y < H) F.Layers.PaintPixel(x, y, C, Op * Inner.At(x, y) / 255);
    }
  };
  int Top = S.Open[1] ? 0 : Ow;
  if (S.AccentRows > 0) InnerRows(Top, S.AccentRows, S.Accent, 255, false);
  if (S.TopLineOpacity > 0) InnerRows(Top + S.AccentRows, 1, S.TopLine, S.TopLineOpacity, false);
  if (S.InnerShadeOpacity > 0) InnerRows(Top, 3, S.InnerShade, S.InnerShadeOpacity, true);
  if (S.BottomShadeOpacity > 0) {
    int Bottom = S.Open[3] ? H : H - Ow;
    for (int r = 0; r < S.BottomShadeRows; ++r) {
      int y = Bottom - S.BottomShadeRows + r;
      int Op = S.BottomShadeOpacity * (r + 1) / S.BottomShadeRows;
      for (int x = 0; x < W; ++x)
        F.Layers.PaintPixel(x, y, S.BottomShade, Op * Inner.At(x, y) / 255);
    }
  }
  return F;
}

// Writes one frame; inside the shape, unpainted pixels keep the section's background (mask
// 255, not key colour), so that only the true outside takes the parent's pixels.
void PutFrame(TBitmap32& Bmp, const TRegion& R, int F, const TFrame& Frame) {
  PutMaskedFrame(Bmp, R.X, R.Y, F, Frame.Layers);
  int W = Frame.Layers.Width(), H = Frame.Layers.Height();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint32_t& Img = Bmp.Pixel(R.X + F * W + x, R.Y + y);
      if (Img == KeyPixelWord && Frame.Inside.At(x, y) > 0) Img = 0xFF000000u | 0xE0ECD4;
    }
}

// A glyph frame: an optional rounded backing, then the glyph.
TLayers GlyphFrame(int W, int H, const TCoverage& Glyph, TRgb GlyphColour, int GlyphOpacity,
                   TRgb Back, int BackOpacity, int BackRadius) {
  TLayers L(W, H);
  if (BackOpacity > 0) {
    TCoverage B(W, H);
    B.AddRoundRect(E, E, (W - 1) * E, (H - 1) * E, BackRadius * E);
    L.Paint(B, Back, BackOpacity);
  }
  // A soft shadow one pixel below keeps the white glyph readable on the light inactive title.
  TCoverage Below(W, H);
  for (int y = 1; y < H; ++y)
    for (int x = 0; x < W; ++x)
      Below.Set(x, y, Glyph.At(x, y - 1));
  L.Paint(Below, Forest, GlyphOpacity * 2 / 3);
  L.Paint(Glyph, GlyphColour, GlyphOpacity);
  return L;
}

class TSkinPainter {
public:
  TSkinPainter() : FLayout(256, 2) {}

  std::map<std::string, TRegion> Regions;

  TRegion& Add(const std::string& Name, TRegion R, int FrameW, int FrameH) {
    R.W = FrameW * R.Frames;
    R.H = FrameH * (R.MaskType + 1);
    FLayout.Place(R.W, R.H, R.X, R.Y);
    return Regions[Name] = R;
  }

  // Drawing happens after the layout, once the master's size is known.
  std::vector<std::pair<std::string, std::function<void(TBitmap32&, const TRegion&)>>> Painters;

  TBitmap32 Render() {
    TBitmap32 Master(FLayout.Width(), FLayout.Height());
    Master.Fill(KeyPixelWord);
    for (auto& [Name, Paint] : Painters)
      Paint(Master, Regions.at(Name));
    return Master;
  }

private:
  TShelfLayout FLayout;
};

// Scales a glyph drawn in a box of Box pixels to one of Size pixels (coordinates in eighths).
struct TGlyphScale {
  int Size, Box;
  int operator()(int V) const { return V * Size / Box; }
};

// Caption button glyphs, designed in a 21-pixel box.
TCoverage CaptionGlyph(char Kind, int Size) {
  TGlyphScale S{Size, 21};
  TCoverage C(Size, Size);
  int Hw = S(5) + 1;
  auto P = [&](double V) { return S(int(V * E)); };
  switch (Kind) {
  case 'x':
    C.AddSegment(P(6.5), P(6.5), P(14.5), P(14.5), Hw);
    C.AddSegment(P(14.5), P(6.5), P(6.5), P(14.5), Hw);
    break;
  case 'M': {
    C.AddRoundRect(P(6), P(6), P(15), P(15), S(E / 2));
    TCoverage In(Size, Size);
    In.AddRoundRect(P(7), P(8), P(14), P(14), 0);
    C.Subtract(In);
    break;
  }
  case 'm': C.AddRoundRect(P(6), P(13), P(15), P(15), S(E / 2)); break;
  case 'n': {
    // Two windows: the back one shows only where the front one does not cover it.
    TCoverage Back(Size, Size), BackIn(Size, Size), Front(Size, Size), FrontIn(Size, Size);
    Back.AddRoundRect(P(8), P(5), P(16), P(13), S(E / 2));
    BackIn.AddRoundRect(P(9), P(6), P(15), P(12), 0);
    Back.Subtract(BackIn);
    TCoverage FrontArea(Size, Size);
    FrontArea.AddRoundRect(P(5), P(8), P(13), P(16), 0);
    Back.Subtract(FrontArea);
    Front.AddRoundRect(P(5), P(8), P(13), P(16), S(E / 2));
    FrontIn.AddRoundRect(P(6), P(10), P(12), P(15), 0);
    Front.Subtract(FrontIn);
    C.Union(Back);
    C.Union(Front);
    break;
  }
  case '?':
    C.AddPolyline({P(7.5),  P(8.5),  P(8),    P(6.8),  P(9.2),  P(5.8), P(10.5), P(5.5),
                   P(11.8), P(5.8),  P(13),   P(6.8),  P(13.5), P(8.2), P(13),   P(9.5),
                   P(11.8), P(10.5), P(10.8), P(11.4), P(10.5), P(12.8)},
                  Hw);
    C.AddDisc(P(10.5), P(15.3), S(9));
    break;
  default: break;
  }
  return C;
}

// The three frames of a caption button: normal, hot, pressed.
void PaintCaptionButton(TBitmap32& Bmp, const TRegion& R, char Glyph, bool Close) {
  int W = R.W / R.Frames, H = R.H / 2;
  TCoverage G(W, H);
  if (Glyph != ' ') {
    // Designed square, centred across a wider frame.
    TCoverage Square = CaptionGlyph(Glyph, H);
    int Dx = (W - H) / 2;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < H; ++x)
        G.Set(x + Dx, y, Square.At(x, y));
  }
  int Radius = H >= 20 ? 4 : 3;
  TRgb HotBack = Close ? Poppy : White;
  int HotOpacity = Close ? 255 : 60;
  TRgb DownBack = Close ? PoppyDeep : Shadow;
  int DownOpacity = Close ? 255 : 90;
  int GlyphOpacity = Glyph == ' ' ? 0 : 245;
  // A button without a glyph (the user title button) shows a faint light face when idle.
  TLayers Normal = GlyphFrame(W, H, G, White, GlyphOpacity, White, Glyph == ' ' ? 36 : 0, Radius);
  TLayers Hot = GlyphFrame(W, H, G, White, 255, HotBack, HotOpacity, Radius);
  TLayers Down = GlyphFrame(W, H, G, White, 255, DownBack, DownOpacity, Radius);
  PutMaskedFrame(Bmp, R.X, R.Y, 0, Normal);
  PutMaskedFrame(Bmp, R.X, R.Y, 1, Hot);
  PutMaskedFrame(Bmp, R.X, R.Y, 2, Down);
}

// Check boxes and radio buttons, designed in a 16-pixel box; Kind: 'c' checked, 'u' unchecked,
// 'g' grayed (neither). States: normal, hot, pressed.
void PaintCheck(TBitmap32& Bmp, const TRegion& R, bool Radio, char Kind) {
  int W = R.W / R.Frames, H = R.H / 2;
  TGlyphScale S{W, 16};
  auto P = [&](double V) { return S(int(V * E)); };
  const TRgb Borders[3] = {Stem, Leaf, DeepLeaf};
  const TRgb Faces[3] = {White, Rgb(0xF3FAEC), Rgb(0xDCEBCF)};
  const TRgb Fills[3] = {Rgb(0x4A8A2C), Leaf, DeepLeaf};
  for (int F = 0; F < 3; ++F) {
    TLayers L(W, H);
    TCoverage Outer(W, H), Inner(W, H);
    if (Radio) {
      Outer.AddDisc(P(8), P(8), P(6.5));
      Inner.AddDisc(P(8), P(8), P(5.5));
    } else {
      Outer.AddRoundRect(P(1.5), P(1.5), P(14.5), P(14.5), P(3));
      Inner.AddRoundRect(P(2.5), P(2.5), P(13.5), P(13.5), P(2));
    }
    if (Kind == 'c') {
      L.Paint(Outer, Fills[F]);
      TCoverage Mark(W, H);
      if (Radio)
        Mark.AddDisc(P(8), P(8), P(2.6));
      else
        Mark.AddPolyline({P(4.6), P(8.2), P(7), P(10.6), P(11.4), P(5.6)}, S(E * 9 / 10));
      L.Paint(Mark, White);
    } else {
      L.Paint(Outer, Borders[F]);
      L.Paint(Inner, Faces[F]);
      if (Kind == 'g') {
        TCoverage Mark(W, H);
        if (Radio)
          Mark.AddDisc(P(8), P(8), P(2.5));
        else
          Mark.AddRoundRect(P(5), P(5), P(11), P(11), P(1));
        L.Paint(Mark, Pale);
      }
    }
    PutMaskedFrame(Bmp, R.X, R.Y, F, L);
  }
}

// Dots of a size grip: light dots with a darker dot under each, in a pattern.
void PaintDots(TBitmap32& Bmp, const TRegion& R, const std::vector<int>& Centres) {
  int W = R.W / R.Frames, H = R.H / 2;
  TLayers L(W, H);
  TCoverage Light(W, H), Dark(W, H);
  for (size_t i = 0; i + 1 < Centres.size(); i += 2) {
    Light.AddRoundRect(Centres[i] * E - E, Centres[i + 1] * E - E, Centres[i] * E + E,
                       Centres[i + 1] * E + E, 0);
    Dark.AddRoundRect(Centres[i] * E, Centres[i + 1] * E, Centres[i] * E + 2 * E,
                      Centres[i + 1] * E + 2 * E, 0);
  }
  L.Paint(Light, White, 230);
  L.Paint(Dark, Stem, 220);
  PutMaskedFrame(Bmp, R.X, R.Y, 0, L);
}

// A chevron arrow pointing Dir ('u', 'd', 'l', 'r'), designed in an 11-pixel box.
TCoverage Arrow(char Dir, int W, int H) {
  TCoverage C(W, H);
  auto P = [&](double V) { return int(V * E); };
  std::vector<int> Up = {P(2.5), P(7), P(5.5), P(4), P(8.5), P(7)};
  for (size_t i = 0; i < Up.size(); i += 2) {
    int x = Up[i], y = Up[i + 1];
    switch (Dir) {
    case 'd': Up[i + 1] = P(11) - y; break;
    case 'l': Up[i] = y, Up[i + 1] = x; break;
    case 'r': Up[i] = P(11) - y, Up[i + 1] = x; break;
    default: break;
    }
  }
  C.AddPolyline(Up, P(0.85));
  return C;
}

void PaintArrow(TBitmap32& Bmp, const TRegion& R, char Dir) {
  int W = R.W / R.Frames, H = R.H / 2;
  const TRgb Colours[3] = {Rgb(0x5F7F4C), DeepLeaf, Forest};
  for (int F = 0; F < 3; ++F) {
    TLayers L(W, H);
    L.Paint(Arrow(Dir, W, H), Colours[F]);
    PutMaskedFrame(Bmp, R.X, R.Y, F, L);
  }
}

// Three grip lines across a scroll thumb, vertical lines for a horizontal thumb.
void PaintSliderGrip(TBitmap32& Bmp, const TRegion& R, bool Vertical) {
  int W = R.W / R.Frames, H = R.H / 2;
  const TRgb Colours[3] = {Rgb(0x6E9A55), Rgb(0x5A8843), Rgb(0x4A7A33)};
  for (int F = 0; F < 3; ++F) {
    TLayers L(W, H);
    TCoverage Lines(W, H), Lights(W, H);
    for (int i = 0; i < 3; ++i) {
      int A = (1 + 2 * i) * E, B0 = E, B1 = (Vertical ? W : H) * E - E;
      if (Vertical) {
        Lines.AddRoundRect(B0, A, B1, A + E, 0);
        Lights.AddRoundRect(B0, A + E, B1, A + 2 * E, 0);
      } else {
        Lines.AddRoundRect(A, B0, A + E, B1, 0);
        Lights.AddRoundRect(A + E, B0, A + 2 * E, B1, 0);
      }
    }
    L.Paint(Lights, White, 110);
    L.Paint(Lines, Colours[F], 230);
    PutMaskedFrame(Bmp, R.X, R.Y, F, L);
  }
}

// A faint woven ground with a few grass blades, tiled under the forms.
void PaintTexture(TBitmap32& Bmp, const TRegion& R) {
  uint32_t Seed = 0x4D454144; // "MEAD"
  auto Next = [&] {
    Seed = Seed * 1664525u + 1013904223u;
    return Seed >> 16;
  };
  for (int y = 0; y < R.H; ++y)
    for (int x = 0; x < R.W; ++x) {
      int N = int(Next() % 9) - 4 + (((x + y) & 3) == 0 ? 2 : 0);
      auto Ch = [&](int V) { return uint32_t(std::clamp(V + N, 0, 255)); };
      Bmp.Pixel(R.X + x, R.Y + y) =
          0xFF000000u | Ch(Ground.R) << 16 | Ch(Ground.G) << 8 | Ch(Ground.B);
    }
  // Blades: short slanted strokes of a slightly greener tone; they wrap around the tile.
  for (int b = 0; b < 7; ++b) {
    int x0 = int(Next() % uint32_t(R.W)), y0 = int(Next() % uint32_t(R.H));
    int Len = 5 + int(Next() % 5), Lean = int(Next() % 3) - 1;
    for (int i = 0; i < Len; ++i) {
      int x = (x0 + (i * Lean) / 3 + R.W) % R.W, y = (y0 + R.H - i) % R.H;
      uint32_t& P = Bmp.Pixel(R.X + x, R.Y + y);
      TRgb Old{uint8_t(P >> 16), uint8_t(P >> 8), uint8_t(P)};
      TRgb New = MixRgb(Rgb(0xD5E6C4), Old, 96 - i * 6);
      P = 0xFF000000u | uint32_t(New.R) << 16 | uint32_t(New.G) << 8 | New.B;
    }
  }
}

// A border region: one frame per style.
void PaintBorder(TBitmap32& Bmp, const TRegion& R, const std::vector<TFrameStyle>& Styles) {
  int W = R.W / R.Frames, H = R.H / (R.MaskType + 1);
  for (int F = 0; F < R.Frames; ++F)
    PutFrame(Bmp, R, F, DrawFrame(W, H, Styles[size_t(std::min(F, int(Styles.size()) - 1))]));
}

TFrameStyle WithTopLine(TFrameStyle S, TRgb C, int Opacity) {
  S.TopLine = C;
  S.TopLineOpacity = Opacity;
  return S;
}
TFrameStyle WithShade(TFrameStyle S, int Opacity) {
  S.InnerShadeOpacity = Opacity;
  return S;
}
TFrameStyle WithBottomShade(TFrameStyle S, int Opacity, int Rows) {
  S.BottomShadeOpacity = Opacity;
  S.BottomShadeRows = Rows;
  return S;
}
TFrameStyle WithGlow(TFrameStyle S, TRgb C, int Opacity) {
  S.Glow = C;
  S.GlowOpacity = Opacity;
  return S;
}
// The pressed look: the whole face a little darker, with a soft shadow under the top edge.
TFrameStyle Pressed(TFrameStyle S, int Darker, int Shade) {
  S.Fill = DeepLeaf;
  S.FillOpacity = Darker;
  return WithShade(S, Shade);
}
TFrameStyle Square(TRgb Outline) {
  return Rounded(0, Outline);
}

// A tab: rounded on the side it grows from, open on the side that meets its page.
// Side: 0 top, 1 bottom, 2 left, 3 right.
TFrameStyle Tab(int Side, TRgb Outline, int Accent) {
  TFrameStyle S = Rounded(0, Outline);
  const int Open[4] = {3, 1, 2, 0}; // the open side of each kind (left, top, right, bottom)
  const int Corners[4][2] = {{0, 1}, {3, 2}, {0, 3}, {1, 2}};
  S.Open[Open[Side]] = true;
  S.Radius[Corners[Side][0]] = S.Radius[Corners[Side][1]] = 4;
  if (Side == 0 && Accent) {
    S.Accent = Leaf;
    S.AccentRows = 2;
  }
  return S;
}

// Everything that the master bitmap holds, laid out and painted.
void DefineMaster(TSkinPainter& P) {
  auto Glyph = [&](const std::string& Name, int FW, int FH, int Frames,
                   std::function<void(TBitmap32&, const TRegion&)> Paint) {
    TRegion R;
    R.Kind = '@';
    R.Frames = Frames;
    P.Add(Name, R, FW, FH);
    P.Painters.push_back({Name, std::move(Paint)});
  };
  auto Border = [&](const std::string& Name, int Frames, int WL, int WT, int WR, int WB, int CW,
                    int CH, int DrawMode, std::vector<TFrameStyle> Styles, char Kind = '^') {
    TRegion R;
    R.Kind = Kind;
    R.Frames = Frames;
    R.WL = WL, R.WT = WT, R.WR = WR, R.WB = WB;
    R.DrawMode = DrawMode;
    if (Kind == '#') {
      R.BorderWidth = WL;
      R.SignName = Name;
    }
    P.Add(Name, R, WL + CW + WR, WT + CH + WB);
    P.Painters.push_back(
        {Name, [Styles](TBitmap32& Bmp, const TRegion& Rg) { PaintBorder(Bmp, Rg, Styles); }});
  };

  // Caption buttons: 21 x 21, normal, hot, pressed.
  const std::pair<const char*, char> Captions[] = {{"BICONCLOSE", 'x'}, {"BICONMAX", 'M'},
                                                   {"BICONNORM", 'n'},  {"BICONMIN", 'm'},
                                                   {"BICONHELP", '?'},  {"TITLEBUTTON", ' '}};
  for (auto [Name, G] : Captions)
    Glyph(Name, 21, 21, 3, [G, Close = G == 'x'](TBitmap32& B, const TRegion& R) {
      PaintCaptionButton(B, R, G, Close);
    });
  // The lone close button of a window without minimize and maximize is a little wider.
  Glyph("BICLOSEALONE", 27, 21, 3,
        [](TBitmap32& B, const TRegion& R) { PaintCaptionButton(B, R, 'x', true); });
  const std::pair<const char*, char> Small[] = {{"SICONCLOSE", 'x'},
                                                {"SICONMAX", 'M'},
                                                {"SICONNORM", 'n'},
                                                {"SICONMIN", 'm'},
                                                {"SICONHELP", '?'}};
  for (auto [Name, G] : Small)
    Glyph(Name, 16, 16, 3, [G, Close = G == 'x'](TBitmap32& B, const TRegion& R) {
      PaintCaptionButton(B, R, G, Close);
    });

  // Check boxes and radio buttons.
  const std::tuple<const char*, int, bool, char> Checks[] = {
      {"BOXCHECKED", 16, false, 'c'},    {"BOXUNCHECKED", 16, false, 'u'},
      {"BOXGRAYED", 16, false, 'g'},     {"RADIOCHECKED", 16, true, 'c'},
      {"RADIOUNCHECKED", 16, true, 'u'}, {"RADIOGRAYED", 16, true, 'g'},
      {"SMALLCHECKED", 13, false, 'c'},  {"SMALLUNCHECKED", 13, false, 'u'},
      {"SMALLGRAYED", 13, false, 'g'}};
  for (auto [Name, Size, Radio, Kind] : Checks)
    Glyph(Name, Size, Size, 3,
          [Radio, Kind](TBitmap32& B, const TRegion& R) { PaintCheck(B, R, Radio, Kind); });

  // Grips.
  Glyph("GRIPIMAGE", 16, 16, 1, [](TBitmap32& B, const TRegion& R) {
    PaintDots(B, R, {12, 4, 8, 8, 12, 8, 4, 12, 8, 12, 12, 12});
  });
  Glyph("GRIPHORZ", 16, 6, 1, [](TBitmap32& B, const TRegion& R) {
    PaintDots(B, R, {3, 2, 7, 2, 11, 2});
  });
  Glyph("GRIPVERT", 6, 16, 1, [](TBitmap32& B, const TRegion& R) {
    PaintDots(B, R, {2, 3, 2, 7, 2, 11});
  });

  // Scroll arrows and thumb grips.
  for (auto [Name, Dir] : std::initializer_list<std::pair<const char*, char>>{
           {"ARROWUP", 'u'}, {"ARROWDOWN", 'd'}, {"ARROWLEFT", 'l'}, {"ARROWRIGHT", 'r'}})
    Glyph(Name, 11, 11, 3, [Dir](TBitmap32& B, const TRegion& R) { PaintArrow(B, R, Dir); });
  Glyph("GRIPLINESH", 7, 8, 3,
        [](TBitmap32& B, const TRegion& R) { PaintSliderGrip(B, R, false); });
  Glyph("GRIPLINESV", 8, 7, 3, [](TBitmap32& B, const TRegion& R) { PaintSliderGrip(B, R, true); });

  // The ground texture.
  {
    TRegion R;
    R.Kind = '~';
    R.MaskType = 0;
    R.DrawMode = 0;
    P.Add("MEADOWTEXTURE", R, 32, 32);
    P.Painters.push_back({"MEADOWTEXTURE", PaintTexture});
  }

  // Borders. Names, frames, band widths (left, top, right, bottom), centre size, draw mode.
  // Draw mode: 1 stretch (else tile), 2 nothing in the normal state, 4 draw the centre.
  Border("FORM", 2, 4, 4, 4, 4, 2, 2, 0,
         {[] {
            TFrameStyle S = Rounded(0, Rgb(0x9DBE8B));
            S.Radius[2] = S.Radius[3] = 5;
            return WithTopLine(S, White, 0);
          }(),
          [] {
            TFrameStyle S = Rounded(0, DeepLeaf);
            S.Radius[2] = S.Radius[3] = 5;
            return S;
          }()});
  Border("FORMTITLE", 2, 7, 7, 7, 1, 2, 2, 0,
         {[] {
            TFrameStyle S = Rounded(6, Rgb(0x9DBE8B));
            S.Radius[2] = S.Radius[3] = 0;
            S.Open[3] = true;
            return WithTopLine(S, White, 120);
          }(),
          [] {
            TFrameStyle S = Rounded(6, Forest);
            S.Radius[2] = S.Radius[3] = 0;
            S.Open[3] = true;
            return WithTopLine(S, Rgb(0x8CC46A), 150);
          }()});
  Border("BUTTON", 3, 5, 5, 5, 5, 2, 2, 4,
         {WithBottomShade(WithTopLine(Rounded(4, Stem), White, 170), 18, 3),
          WithBottomShade(WithTopLine(Rounded(4, Leaf), White, 230), 14, 3),
          Pressed(Rounded(4, DeepLeaf), 40, 60)});
  Border("SPEEDBUTTON", 3, 4, 4, 4, 4, 2, 2, 6,
         {WithTopLine(Rounded(3, Sage), White, 150), WithTopLine(Rounded(3, Sage), White, 200),
          Pressed(Rounded(3, Stem), 26, 50)});
  Border("EDIT", 2, 4, 4, 4, 4, 2, 2, 0, {Rounded(3, Sage), WithGlow(Rounded(3, Leaf), Leaf, 70)});
  Border("GAUGE", 1, 4, 4, 4, 4, 2, 2, 0, {WithShade(Rounded(4, Pale), 28)});
  Border("PROGRESS", 1, 3, 3, 3, 3, 2, 2, 0,
         {WithTopLine(
             [] {
               TFrameStyle S = Rounded(3, Rgb(0x3F8A22));
               S.OutlineOpacity = 200;
               return S;
             }(),
             White, 90)});
  Border("SCROLLTHUMB", 3, 4, 4, 4, 4, 2, 2, 0,
         {WithTopLine(Rounded(4, PaleHot), White, 110), WithTopLine(Rounded(4, Moss), White, 120),
          Rounded(4, Rgb(0x6E9E52))});
  Border("SCROLLBUTTON", 3, 4, 4, 4, 4, 2, 2, 6,
         {Rounded(3, Pale), WithTopLine(Rounded(3, Pale), White, 160),
          Pressed(Rounded(3, Sage), 24, 40)});
  Border("SELECTION", 2, 3, 3, 3, 3, 2, 2, 0, {Rounded(3, Pale), Rounded(3, Forest)});
  Border("MENUITEM", 2, 3, 3, 3, 3, 2, 2, 2,
         {Rounded(3, Sage), WithTopLine(Rounded(3, Sage), White, 140)});
  // Popup menus get rounded corners: the menu window cuts the key-colour corners out of its
  // region.
  Border("MAINMENU", 1, 4, 4, 4, 4, 2, 2, 0, {WithTopLine(Rounded(4, Sage), White, 200)});
  Border("DIVIDERV", 1, 4, 1, 4, 1, 2, 1, 0, {[] {
           TFrameStyle S;
           S.Open[0] = S.Open[2] = S.Open[3] = true;
           S.Outline = Mist;
           return S;
         }()});
  Border("TABTOP", 3, 5, 5, 5, 2, 2, 2, 0,
         {WithTopLine(Tab(0, Sage, 0), White, 150), WithTopLine(Tab(0, Stem, 0), White, 220),
          Tab(0, Stem, 1)});
  Border("TABBOTTOM", 3, 5, 2, 5, 5, 2, 2, 0,
         {Tab(1, Sage, 0), Tab(1, Stem, 0), WithBottomShade(Tab(1, Stem, 0), 50, 2)});
  Border("TABLEFT", 3, 5, 5, 2, 5, 2, 2, 0, {Tab(2, Sage, 0), Tab(2, Stem, 0), Tab(2, Stem, 0)});
  Border("TABRIGHT", 3, 2, 5, 5, 5, 2, 2, 0, {Tab(3, Sage, 0), Tab(3, Stem, 0), Tab(3, Stem, 0)});
  Border("PAGECONTROL", 1, 4, 4, 4, 4, 2, 2, 0, {Rounded(3, Sage)});
  Border("GROUPBOX", 1, 4, 4, 4, 4, 2, 2, 0, {Rounded(4, Rgb(0xC3D7B2))}, '#');
  Border("PANEL", 1, 2, 2, 2, 2, 2, 2, 0, {Square(Rgb(0xD2E1C3))});
  Border("PANEL_LOW", 1, 3, 3, 3, 3, 2, 2, 0, {WithShade(Rounded(2, Rgb(0xC3D7B2)), 26)});
  Border("STATUSBAR", 1, 1, 1, 1, 1, 2, 2, 0, {[] {
           TFrameStyle S;
           S.Open[0] = S.Open[2] = S.Open[3] = true;
           S.Outline = Mist;
           return WithTopLine(S, White, 180);
         }()});
  Border("COLHEADER", 3, 1, 1, 2, 2, 2, 2, 0, {[] {
           TFrameStyle S;
           S.Open[0] = S.Open[1] = true;
           S.Outline = Mist;
           return S;
         }()});
}

// The huge button: one image of its own, 72 x 72 frames with 32-pixel bands.
TBitmap32 DrawButtonHuge() {
  const int W = 72, H = 72;
  TBitmap32 Bmp(3 * W, 2 * H);
  Bmp.Fill(KeyPixelWord);
  TRegion R;
  R.Frames = 3;
  R.W = 3 * W;
  R.H = 2 * H;
  auto Style = [](TRgb Outline, int Highlight) {
    TFrameStyle S = Rounded(12, Outline);
    S.OutlineWidth = 1;
    S = WithTopLine(S, White, Highlight);
    S = WithBottomShade(S, 34, 12);
    return WithGlow(S, White, Highlight / 3);
  };
  PaintBorder(Bmp, R, {Style(Stem, 200), Style(Leaf, 255), WithShade(Rounded(12, DeepLeaf), 70)});
  return Bmp;
}

// Fills the placeholders of the options template.
std::string ExpandTemplate(const std::string& Text, const TSkinPainter& P) {
  auto ColourOf = [](const std::string& Hex) -> uint32_t {
    if (Hex.size() != 7 || Hex[0] != '#')
      throw std::runtime_error("colour \"" + Hex + "\" is not written as #RRGGBB");
    uint32_t V = uint32_t(std::stoul(Hex.substr(1), nullptr, 16));
    // Options colours carry red in the low byte.
    return (V >> 16 & 0xFF) | (V & 0xFF00) | (V & 0xFF) << 16;
  };
  std::string Out;
  size_t i = 0;
  while (i < Text.size()) {
    size_t Open = Text.find('{', i);
    if (Open == std::string::npos) {
      Out += Text.substr(i);
      break;
    }
    size_t Close = Text.find('}', Open);
    if (Close == std::string::npos) throw std::runtime_error("unclosed { in the template");
    Out += Text.substr(i, Open - i);
    std::string Body = Text.substr(Open + 1, Close - Open - 1);
    std::istringstream Words(Body);
    std::string First, A, B;
    Words >> First >> A >> B;
    if (First[0] == '#') {
      Out += std::to_string(ColourOf(First));
    } else if (First == "V" || First == "H") {
      Out += std::to_string(ColourOf(A)) + ";" + std::to_string(ColourOf(B)) + ";100;" +
             (First == "V" ? "0" : "1") + ";0";
    } else if (First[0] == '@') {
      auto It = P.Regions.find(First.substr(1));
      if (It == P.Regions.end()) throw std::runtime_error("no region named " + First.substr(1));
      Out += Notation(It->second);
    } else {
      throw std::runtime_error("unknown placeholder {" + Body + "}");
    }
    i = Close + 1;
  }
  return Out;
}

std::string ReadText(const std::string& FileName) {
  std::ifstream F(FileName, std::ios::binary);
  if (!F) throw std::runtime_error("cannot read " + FileName);
  std::ostringstream S;
  S << F.rdbuf();
  return S.str();
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: meadowgen OPTIONS_TEMPLATE OUT_DIR\n";
    return 2;
  }
  try {
    std::string Dir = argv[2];
    if (!Dir.empty() && Dir.back() != '/') Dir += '/';
    TSkinPainter P;
    DefineMaster(P);
    std::string Options = ExpandTemplate(ReadText(argv[1]), P);
    std::vector<uint8_t> OptionBytes(Options.begin(), Options.end());
    WriteFileBytes(Dir + "Options.dat", OptionBytes);
    WriteFileBytes(Dir + "Master.bmp", EncodeBmp24(P.Render()));
    WriteFileBytes(Dir + "ButtonHuge.bmp", EncodeBmp24(DrawButtonHuge()));
  } catch (const std::exception& E) {
    std::cerr << "meadowgen: " << E.what() << "\n";
    return 1;
  }
  return 0;
}
