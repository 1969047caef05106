// Glyph frames and the disabled look.
#include "skin/paint/sGlyphs.h"

#include <algorithm>
#include <vector>

#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/sGraphUtils.h"

int GlyphFrameOf(int State, bool Enabled, int Down, int NumGlyphs, bool Classic16) {
  NumGlyphs = std::max(NumGlyphs, 1);
  if (!Enabled || State == 0) return 0;
  switch (State) {
  case 1: return Classic16 ? 0 : std::min(1, NumGlyphs - 1);
  case 2:
    if (2 + Down < NumGlyphs) return 2 + Down;
    return Classic16 ? 0 : std::min(1, NumGlyphs - 1);
  case 3: return NumGlyphs >= 4 ? 3 : 0;
  default: return -1;
  }
}

void DrawGlyphFrame(const TGlyph& Glyph, TBitmap32& Bmp, TRect R, int Down, int Blend, int State,
                    unsigned DisabledKind, bool Enabled, int NumGlyphs) {
  if (!Glyph.Bmp || Glyph.Bmp->IsEmpty()) return;
  TBitmap32 Copy(*Glyph.Bmp);
  const int H = Copy.Height();
  // The transparent colour is read before anything changes the copy. Key pixels are compared
  // as whole words, so every pixel of the transparent colour (and of fuchsia) gets one word,
  // whatever alpha the image gave it.
  NumGlyphs = std::max(NumGlyphs, 1);
  const int FW = Copy.Width() / NumGlyphs;
  const uint32_t Key = Copy.Pixel(0, H - 1) & 0xFFFFFF;
  std::vector<uint32_t> Keys{Key, KeyPixel};
  for (int k = 1; k < NumGlyphs && FW > 0; ++k)
    Keys.push_back(Copy.Pixel(k * FW, H - 1) & 0xFFFFFF);
  for (int y = 0; y < H; ++y) {
    uint32_t* Row = Copy.ScanLine(y);
    for (int x = 0; x < Copy.Width(); ++x) {
      uint32_t Rgb = Row[x] & 0xFFFFFF;
      if (std::find(Keys.begin(), Keys.end(), Rgb) != Keys.end()) Row[x] = Rgb;
    }
  }
  if (NumGlyphs == 1) {
    if (Enabled) {
      if (State == 0 && Blend > 0)
        BlendKeyed(Bmp, R.Left, R.Top, KeyPixel, Blend / 100.0, {0, 0, R.Width(), R.Height()},
                   Copy);
      else
        DrawBitmapKeyed(Bmp, Copy, R.Left, PixelToColor(Key), R.Top);
      return;
    }
    if (DisabledKind & dkGrayed) GrayBitmapKeyed(Copy, Key);
    if (DisabledKind & dkBlended)
      BlendKeyed(Bmp, R.Left, R.Top, Key, 0.5, Copy.BoundsRect(), Copy);
    else
      DrawBitmapKeyed(Bmp, Copy, R.Left, PixelToColor(Key), R.Top);
    return;
  }
  if (FW <= 0) return;
  const int K = GlyphFrameOf(State, Enabled, Down, NumGlyphs, Glyph.Classic16);
  if (K < 0) return;
  const TRect Frame{K * FW, 0, (K + 1) * FW, H};
  if (Enabled) {
    CopyKeyedPlain(Bmp, Copy, R.Left, Copy.Pixel(K * FW, H - 1) & 0xFFFFFF, Frame, R.Top);
  } else if (State == 0 && Blend > 0) {
    BlendKeyed(Bmp, R.Left, R.Top, KeyPixel, Blend / 100.0, Frame, Copy);
  } else {
    CopyKeyedPlain(Bmp, Copy, R.Left, Key, Frame, R.Top);
  }
}

void ApplyDisabledLook(TBitmap32& Bmp, unsigned DisabledKind, TPoint P, const TCacheInfo& CI,
                       TColor OwnColour) {
  if (Bmp.IsEmpty()) return;
  if (DisabledKind & dkGrayed) GrayBitmap(Bmp);
  if (!(DisabledKind & dkBlended)) return;
  if (CI.Ready && CI.Bmp) {
    TRect From = Bmp.BoundsRect().Offsetted(CI.X + P.X, CI.Y + P.Y);
    BlendKeyed(Bmp, 0, 0, KeyPixel, 0.4, From, *CI.Bmp);
    return;
  }
  TColor C = (CI.FillColor & 0xFFFFFF) == clFuchsia ? OwnColour : CI.FillColor;
  TintRect(Bmp, Bmp.BoundsRect(), 50, C);
}
