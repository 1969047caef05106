// The device-free decisions of skin text.
#include "skin/paint/sSkinTextRules.h"

#include <algorithm>

#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/sCommonRules.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

constexpr bool IsHighSurrogate(wchar_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
constexpr bool IsLowSurrogate(wchar_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

// Deletes the last character of a non-empty text: both halves of a surrogate pair, else one
// code unit (a lone surrogate included).
void DeleteLastCharacter(std::wstring& Text) {
  size_t N = Text.size();
  if (N >= 2 && IsLowSurrogate(Text[N - 1]) && IsHighSurrogate(Text[N - 2]))
    Text.resize(N - 2);
  else
    Text.resize(N - 1);
}

// The decision for the control at level Control of the chain; its parent is the next level.
int FontSectionFrom(size_t Control, size_t Count, const TFontAncestorAt& At, int Index,
                    const TsSkinModel* Sm, int Hot) {
  size_t Parent = Control + 1;
  if (Parent >= Count) return Index;
  TFontAncestor P = At(Parent);
  if (P.HasSkinState && ValidSection(Sm, P.SkinIndex)) {
    const TsGeneralData& S = Sm->gd[size_t(P.SkinIndex)];
    const TsGenState& St = S.Props[size_t(StateRecordOf(S, Hot > 0 ? 1 : 0))];
    bool PaintsCentre =
        ValidMask(Sm, S.BorderIndex) && (Sm->ma[size_t(S.BorderIndex)].DrawMode & dmDrawCentre);
    bool ParentIsTop = Parent + 1 >= Count;
    if (St.Transparency <= 50 || PaintsCentre || ParentIsTop)
      return S.GiveOwnFont ? P.SkinIndex : Index;
    // The parent's parent becomes the control of the next step, so the next section examined
    // is the parent's parent's parent: this branch climbs two levels at once.
    return FontSectionFrom(Parent + 1, Count, At, Index, Sm, 0);
  }
  // The parent answered the section query (or did not: -1).
  if (!ValidSection(Sm, P.SkinIndex)) return Index;
  const TsGeneralData& S = Sm->gd[size_t(P.SkinIndex)];
  const TsGenState& St = S.Props[size_t(StateRecordOf(S, Hot > 0 ? 1 : 0))];
  if (St.Transparency > 50) return FontSectionFrom(Parent, Count, At, Index, Sm, 0);
  return S.GiveOwnFont ? P.SkinIndex : Index;
}

} // namespace

std::wstring CutTextToWidth(const std::wstring& Text, int MaxWidth, const TTextWidthFunc& Width) {
  std::wstring Result = MaxWidth > 0 ? Text : std::wstring();
  if (Result.empty() || Width(Result) <= MaxWidth) return Result;
  do {
    if (Width(Result + L"...") <= MaxWidth) break;
    DeleteLastCharacter(Result);
  } while (!Result.empty());
  if (!Result.empty()) Result += L"...";
  return Result;
}

int FontSectionOfChain(size_t Count, const TFontAncestorAt& At, int Index, const TsSkinModel* Sm,
                       int Hot) {
  return FontSectionFrom(0, Count, At, Index, Sm, Hot);
}

int FontSectionOf(const std::vector<TFontAncestor>& Chain, int Index, const TsSkinModel* Sm,
                  int Hot) {
  return FontSectionOfChain(
      Chain.size(), [&Chain](size_t Level) { return Chain[Level]; }, Index, Sm, Hot);
}

int TextStateOf(int Hot) {
  return Hot > 0 ? 1 : 0;
}

TColor ShiftedTextColor(TColor Color, int HueOffset, int Saturation) {
  if (HueOffset != 0) Color = ShiftHue(HueOffset, Color);
  if (Saturation != 0) Color = ShiftSaturation(Saturation, Color);
  return Color;
}

TColor DisabledTextColor(TColor FontColor, TColor Ground, int HueOffset, int Saturation) {
  return ShiftedTextColor(BlendColors(FontColor, Ground, 0.4), HueOffset, Saturation);
}

std::vector<TTextShadow> TextShadowsOf(const TsFontColor& FontColor, int HueOffset,
                                       int Saturation) {
  const struct {
    int Color, DX, DY;
  } Sides[] = {{FontColor.Left, -1, 0},
               {FontColor.Top, 0, -1},
               {FontColor.Right, 1, 0},
               {FontColor.Bottom, 0, 1}};
  std::vector<TTextShadow> Result;
  for (const auto& S : Sides)
    if (S.Color != -1)
      Result.push_back({ShiftedTextColor(TColor(S.Color), HueOffset, Saturation), S.DX, S.DY});
  return Result;
}

TRect GlowMaskRect(const TRect& R, int Radius) {
  TRect E = R.Offsetted(1, 1);
  E.Inflate(Radius + 4, Radius + 4);
  return E;
}

void ApplyGlowMask(TBitmap32& Bmp, const TBitmap8& Mask, int X, int Y, TColor Color) {
  TRect Target = Bounds(X, Y, Mask.Width(), Mask.Height()).Intersected(Bmp.BoundsRect());
  if (Target.IsEmpty()) return;
  TColor C = ColorToRGB(Color);
  const int CR = RValue(C), CG = GValue(C), CB = BValue(C);
  for (int ty = Target.Top; ty < Target.Bottom; ++ty) {
    const uint8_t* Src = Mask.ScanLine(ty - Y) + (Target.Left - X);
    uint32_t* Dst = Bmp.ScanLine(ty) + Target.Left;
    for (int tx = Target.Left; tx < Target.Right; ++tx, ++Src, ++Dst) {
      int m = *Src;
      if (m == 255) continue;
      uint32_t P = *Dst;
      int a = PixA(P);
      *Dst = MakePixel(CB + m * (PixB(P) - CB) / 255, CG + m * (PixG(P) - CG) / 255,
                       CR + m * (PixR(P) - CR) / 255, a + (255 - m) * (255 - a) / 255);
    }
  }
}
