// Skin text: captions written in the font colours of a skin section, with the one-pixel
// shadows and the blurred glow a skin may define, and the section whose font colours a
// transparent control takes.
#pragma once

#include <windows.h>

#include <string>

#include "base/Bitmap32.h"
#include "skin/controls/sCommonData.h"
#include "skin/paint/sSkinTextRules.h"
#include "skin/pixels/Bitmap8.h"

// Whose font colours Control uses when it lets its parent show through: Index (its own
// section) unless a mostly opaque ancestor gives its own font. An ancestor's section comes
// from its skin state, or else from its answer to the section query. A null Manager means the
// default one.
int FontSectionOf(TControl* Control, int Index, TsSkinManager* Manager, int Hot);

// Writes Text into R of DC (in the DC's current font) with the font colours of SkinData's
// section: the glow into SkinData's cache, the four shadows and the text, or the disabled
// colour. Format is a set of DrawText flags. The DC is left as it was found.
void DrawSkinText(HDC DC, const std::wstring& Text, bool Enabled, bool Hot, TsCommonData& SkinData,
                  UINT Format, TRect R);
// The same for a section given by index, without a skin state and without colour tone. An
// invalid section (or no manager at all) draws in the DC's current colours. A null Manager
// means the default one.
void DrawSectionText(HDC DC, const std::wstring& Text, bool Enabled, TsSkinManager* Manager,
                     int Hot, int SkinIndex, UINT Format, TRect R);

// The blurred mask under a glowing caption, kept by the caller between calls to save the
// blur. It is made again whenever the text, the font, the size of the glowing rectangle, the
// radius, the sides or the format differ from the ones it was made for.
struct TGlowMask {
  TBitmap8 Mask;
  std::wstring Text;
  LOGFONTW Font{};
  int Radius = -1;
  int Sides = -1;
  UINT Format = 0;
};

// Draws the glow of Text (written into R in the font selected into Bmp's own DC) into Bmp:
// the text in black on white, once unmoved and once moved by a pixel toward each side in Sides
// (1 left, 2 up, 4 right, 8 down), blurred by Radius and laid over Bmp in Color.
void PaintTextGlow(TBitmap32& Bmp, const std::wstring& Text, TRect R, TGlowMask& MaskCache,
                   TColor Color, int Radius, int Sides, UINT Format);

// Text shortened with a trailing "..." until it fits MaxWidth pixels in DC's current font.
std::wstring CutTextToWidth(HDC DC, const std::wstring& Text, int MaxWidth);
