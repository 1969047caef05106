// Geometry and colour types shared by the toolkit, the painting and the skin code.
#pragma once

#include <algorithm>
#include <cstdint>

// A colour with red in the low byte (0x00BBGGRR). A high byte of 0xFF marks a system colour,
// whose low byte is the system colour index; ColorToRGB turns it into a plain colour.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLime = 0x00FF00;
// Fuchsia is the engine's key colour: a transparent image pixel, or "no colour known".
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clNone = 0x1FFFFFFF;

// System colours, as the toolkit writes them: 0xFF000000 | index.
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clHotLight = clSystemColor | 26;
constexpr TColor clGradientActiveCaption = clSystemColor | 27;
constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
constexpr TColor clMenuHighlight = clSystemColor | 29;
constexpr TColor clMenuBar = clSystemColor | 30;

// Turns a system colour into its RGB value (the system's colours on Windows, the classic
// Windows defaults elsewhere); any other colour is returned as it is.
TColor ColorToRGB(TColor Color);

// A colour in pixel order (bytes B, G, R, A of a 32-bit pixel): red and blue swap places, the
// high byte becomes the alpha byte.
constexpr uint32_t ColorToPixel(TColor Color) {
  return (Color & 0xFF00FF00u) | ((Color & 0xFFu) << 16) | ((Color >> 16) & 0xFFu);
}
constexpr TColor PixelToColor(uint32_t Pixel) {
  return ColorToPixel(Pixel);
}

constexpr uint8_t RValue(TColor c) {
  return c & 0xFF;
}
constexpr uint8_t GValue(TColor c) {
  return (c >> 8) & 0xFF;
}
constexpr uint8_t BValue(TColor c) {
  return (c >> 16) & 0xFF;
}
constexpr TColor RGBColor(int r, int g, int b) {
  return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// A rectangle as Win32 writes it: Right and Bottom are one past the last pixel.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int X, int Y) const {
    return X >= Left && X < Right && Y >= Top && Y < Bottom;
  }
  constexpr void Offset(int DX, int DY) {
    Left += DX;
    Right += DX;
    Top += DY;
    Bottom += DY;
  }
  constexpr TRect Offsetted(int DX, int DY) const {
    return {Left + DX, Top + DY, Right + DX, Bottom + DY};
  }
  constexpr void Inflate(int DX, int DY) {
    Left -= DX;
    Right += DX;
    Top -= DY;
    Bottom += DY;
  }
  // The common part of both rectangles; empty (all zero) when they do not overlap.
  constexpr TRect Intersected(const TRect& R) const {
    TRect Result{std::max(Left, R.Left), std::max(Top, R.Top), std::min(Right, R.Right),
                 std::min(Bottom, R.Bottom)};
    return Result.IsEmpty() ? TRect{} : Result;
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int Left, int Top, int Right, int Bottom) {
  return {Left, Top, Right, Bottom};
}
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
  return {Left, Top, Left + Width, Top + Height};
}
