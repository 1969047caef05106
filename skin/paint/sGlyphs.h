// Glyph frames drawn by state, and the disabled look of a finished face.
#pragma once

#include "base/Bitmap32.h"
#include "base/kvTypes.h"
#include "skin/pixels/kvCacheInfo.h"

// The set TsDisabledKind.
constexpr unsigned dkBlended = 1; // blend the face with the parent's background
constexpr unsigned dkGrayed = 2;  // make it gray

// A glyph: NumGlyphs frames of equal width side by side, its transparent colour in its
// bottom-left pixel. A 16-colour glyph follows the classic layout (frame 1 disabled), any
// other the skin layout (frame 1 hot).
struct TGlyph {
  const TBitmap32* Bmp = nullptr;
  bool Classic16 = false;
};

// The frame a multi-frame glyph shows in State (0 normal, 1 hot, 2 pressed, 3 default), -1 for
// none. Down is 0 or 1.
int GlyphFrameOf(int State, bool Enabled, int Down, int NumGlyphs, bool Classic16);

// Draws the frame of Glyph for the state with its top-left corner at R's. Blend (0..100) is the
// share of what lies under a normal-state glyph. One frame: enabled, keyed by the glyph's
// transparent colour (fuchsia when blended); disabled, grayed (keeping its transparent pixels)
// and half blended as DisabledKind asks. Several frames ignore DisabledKind. A frame count of 0
// or less counts as one frame.
void DrawGlyphFrame(const TGlyph& Glyph, TBitmap32& Bmp, TRect R, int Down, int Blend, int State,
                    unsigned DisabledKind, bool Enabled, int NumGlyphs);

// Turns a finished face into its disabled look: dkGrayed grays it; dkBlended then keeps 40 % of
// the face over 60 % of the parent's image (CI ready; P is the face's place in it, where the
// parent pixel is fuchsia the face stays), or without a ready CI mixes it half with CI's fill
// colour, or with OwnColour when that is unknown (fuchsia).
void ApplyDisabledLook(TBitmap32& Bmp, unsigned DisabledKind, TPoint P, const TCacheInfo& CI,
                       TColor OwnColour);
