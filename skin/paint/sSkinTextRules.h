// The decisions of skin text that need no device context: shortening a caption to a width,
// whose font colours a transparent control takes, the text, shadow and disabled colours, and
// the glow mask laid over a bitmap.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"
#include "skin/data/sSkinModel.h"
#include "skin/pixels/Bitmap8.h"

// The width in pixels a text takes (a device context's measure in the Windows build).
using TTextWidthFunc = std::function<int(const std::wstring&)>;

// Text when it fits MaxWidth; otherwise Text cut from its end, one character at a time, until
// it fits with a trailing "..." appended. A surrogate pair is one character: it is deleted
// whole. A text that cannot keep even one character gives the empty text, without dots, and
// so does a MaxWidth of 0 or less.
std::wstring CutTextToWidth(const std::wstring& Text, int MaxWidth, const TTextWidthFunc& Width);

// A control in the chain examined by FontSectionOf.
struct TFontAncestor {
  // The control carries a skin state whose section index is valid; SkinIndex is that index.
  // Otherwise SkinIndex is the control's answer to the section query (-1 none).
  bool HasSkinState = false;
  int SkinIndex = -1;
};
// The record of the control at Level of the chain (1 the control's parent, 2 its parent's
// parent, ...); asked only for the levels the decision examines.
using TFontAncestorAt = std::function<TFontAncestor(size_t Level)>;

// Whose font colours a control that lets its parent show through uses: Index (the control's
// own section) unless a mostly opaque ancestor gives its own font. Count is the number of
// controls in the chain, the control itself included (0 for no control).
int FontSectionOfChain(size_t Count, const TFontAncestorAt& At, int Index, const TsSkinModel* Sm,
                       int Hot);
// The same over a whole chain: element 0 is the control, 1 its parent, and so on.
int FontSectionOf(const std::vector<TFontAncestor>& Chain, int Index, const TsSkinModel* Sm,
                  int Hot);

// The state record text is drawn from for Hot: 0 for the normal state, 1 for any hot state
// (a section holds two records, so a larger Hot never reads past them).
int TextStateOf(int Hot);

// Color with the control's colour tone: the hue turned by HueOffset, then the saturation
// shifted by Saturation, each only when not 0.
TColor ShiftedTextColor(TColor Color, int HueOffset, int Saturation);
// A disabled caption's colour: 40 % of the font colour and 60 % of the ground colour, rounded
// per channel, then shifted by the colour tone.
TColor DisabledTextColor(TColor FontColor, TColor Ground, int HueOffset = 0, int Saturation = 0);

// One one-pixel shadow of a caption: its colour and the offset of its text.
struct TTextShadow {
  TColor Color;
  int DX, DY;
};
// The shadows of FontColor in drawing order (left, top, right, bottom), the sides of -1
// left out, each colour shifted by the colour tone.
std::vector<TTextShadow> TextShadowsOf(const TsFontColor& FontColor, int HueOffset = 0,
                                       int Saturation = 0);

// The rectangle a glow mask covers for text drawn into R: R moved by (1, 1) and grown by
// Radius + 4 on every side.
TRect GlowMaskRect(const TRect& R, int Radius);
// Lays the glow mask with its top-left corner at (X, Y) of Bmp; mask pixels outside Bmp are
// skipped. A mask byte m below 255 moves each colour channel c toward the glow colour's C to
// C + m * (c - C) / 255 and the alpha a toward 255 by (255 - m) * (255 - a) / 255 (both
// truncated): 255 leaves the pixel alone, 0 paints the glow colour at full strength.
void ApplyGlowMask(TBitmap32& Bmp, const TBitmap8& Mask, int X, int Y, TColor Color);
