// Skin text on device contexts: captions in a section's font colours, shadows and glow.
#include "skin/controls/sSkinText.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "base/GdiObjects.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/sCommonRules.h"
#include "skin/pixels/kvBlur.h"
#include "skin/pixels/kvPixelMath.h"
#include "toolkit/Graphics.h"

namespace {

// DrawText never writes into our text: DT_MODIFYSTRING is taken out.
void DrawTextIn(HDC DC, const std::wstring& Text, const TRect& R, UINT Format) {
  RECT Rc{R.Left, R.Top, R.Right, R.Bottom};
  DrawTextW(DC, Text.c_str(), int(Text.size()), &Rc, Format & ~UINT(DT_MODIFYSTRING));
}

LOGFONTW CurrentFontOf(HDC DC) {
  LOGFONTW LF{};
  if (HGDIOBJ Font = GetCurrentObject(DC, OBJ_FONT)) GetObjectW(Font, sizeof(LF), &LF);
  return LF;
}

// Field by field: the face name's bytes after its end are not part of the font.
bool SameFont(const LOGFONTW& A, const LOGFONTW& B) {
  return A.lfHeight == B.lfHeight && A.lfWidth == B.lfWidth && A.lfEscapement == B.lfEscapement &&
         A.lfOrientation == B.lfOrientation && A.lfWeight == B.lfWeight &&
         A.lfItalic == B.lfItalic && A.lfUnderline == B.lfUnderline &&
         A.lfStrikeOut == B.lfStrikeOut && A.lfCharSet == B.lfCharSet &&
         A.lfOutPrecision == B.lfOutPrecision && A.lfClipPrecision == B.lfClipPrecision &&
         A.lfQuality == B.lfQuality && A.lfPitchAndFamily == B.lfPitchAndFamily &&
         std::wcsncmp(A.lfFaceName, B.lfFaceName, LF_FACESIZE) == 0;
}

// An underlined copy of the DC's current font; empty when the font cannot be read.
TFontHandle UnderlinedFontOf(HDC DC) {
  HGDIOBJ Font = GetCurrentObject(DC, OBJ_FONT);
  LOGFONTW LF{};
  if (!Font || !GetObjectW(Font, sizeof(LF), &LF)) return {};
  LF.lfUnderline = TRUE;
  return TFontHandle(CreateFontIndirectW(&LF));
}

// The record of one ancestor: its skin state when that names a valid section, otherwise its
// answer to the section query.
TFontAncestor AncestorRecord(TControl* Control, const TsSkinModel* Sm) {
  if (TsCommonData* D = SkinDataOf(Control); D && ValidSection(Sm, D->SkinIndex))
    return {true, D->SkinIndex};
  TkvSectionInfo Info; // SkinIndex -1 until the control answers
  SendSkinCommandTo(Control, KV_QUERYSECTIONINDEX, LPARAM(&Info));
  return {false, Info.SkinIndex};
}

// Text without a skin: as the DC stands when enabled; disabled in the classic engraved look
// (a highlight copy one pixel down and right, then the shadow colour).
void DrawPlainText(HDC DC, const std::wstring& Text, bool Enabled, UINT Format, const TRect& R) {
  if (Enabled) {
    DrawTextIn(DC, Text, R, Format);
    return;
  }
  SetTextColor(DC, ToColorRef(clBtnHighlight));
  DrawTextIn(DC, Text, R.Offsetted(1, 1), Format);
  SetTextColor(DC, ToColorRef(clBtnShadow));
  DrawTextIn(DC, Text, R, Format);
}

void DrawShadows(HDC DC, const std::wstring& Text, const std::vector<TTextShadow>& Shadows,
                 UINT Format, const TRect& R) {
  for (const TTextShadow& S : Shadows) {
    SetTextColor(DC, ToColorRef(S.Color));
    DrawTextIn(DC, Text, R.Offsetted(S.DX, S.DY), Format);
  }
}

// The mask of PaintTextGlow for the font selected into FontDC: the text in black on white at
// (Radius + 4, Radius + 4), once per side in Sides moved by a pixel and once unmoved, blurred.
void BuildGlowMask(TGlowMask& M, HDC FontDC, const std::wstring& Text, const TRect& R,
                   const TRect& E, int Radius, int Sides, UINT Format) {
  TBitmap32 Work(E.Width(), E.Height());
  Work.Fill(0x00FFFFFF);
  {
    HDC DC = static_cast<HDC>(Work.NativeDC());
    TSelectObject Font(DC, GetCurrentObject(FontDC, OBJ_FONT));
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, RGB(0, 0, 0));
    const TRect T = Bounds(Radius + 4, Radius + 4, R.Width(), R.Height());
    const struct { int Bit, DX, DY; } Moves[] = {{1, -1, 0}, {2, 0, -1}, {4, 1, 0}, {8, 0, 1}};
    for (const auto& Mv : Moves)
      if (Sides & Mv.Bit) DrawTextIn(DC, Text, T.Offsetted(Mv.DX, Mv.DY), Format);
    DrawTextIn(DC, Text, T, Format);
    GdiFlush();
  }
  M.Mask.SetSize(Work.Width(), Work.Height());
  for (int y = 0; y < Work.Height(); ++y) {
    const uint32_t* Src = Work.ScanLine(y);
    uint8_t* Dst = M.Mask.ScanLine(y);
    for (int x = 0; x < Work.Width(); ++x)
      Dst[x] = uint8_t((PixR(Src[x]) + PixG(Src[x]) + PixB(Src[x])) / 3);
  }
  BlurGray8(M.Mask, Radius);
  M.Text = Text;
  M.Font = CurrentFontOf(FontDC);
  M.Radius = Radius;
  M.Sides = Sides;
  M.Format = Format;
}

bool MaskFits(const TGlowMask& M, const std::wstring& Text, const LOGFONTW& Font, const TRect& E,
              int Radius, int Sides, UINT Format) {
  return !M.Mask.IsEmpty() && M.Mask.Width() == E.Width() && M.Mask.Height() == E.Height() &&
         M.Radius == Radius && M.Sides == Sides && M.Format == Format && M.Text == Text &&
         SameFont(M.Font, Font);
}

} // namespace

int FontSectionOf(TControl* Control, int Index, TsSkinManager* Manager, int Hot) {
  if (!Manager) Manager = DefaultManager;
  const TsSkinModel* Sm = Manager ? &Manager->Model() : nullptr;
  std::vector<TControl*> Chain;
  for (TControl* C = Control; C; C = C->Parent())
    Chain.push_back(C);
  return FontSectionOfChain(
      Chain.size(), [&](size_t Level) { return AncestorRecord(Chain[Level], Sm); }, Index, Sm, Hot);
}

void DrawSkinText(HDC DC, const std::wstring& Text, bool Enabled, bool Hot, TsCommonData& SkinData,
                  UINT Format, TRect R) {
  if (Text.empty() || !DC) return;
  const int St = Hot ? 1 : 0;
  const TsSkinModel* Sm = SkinData.Model();
  // Declared before the saved state, so that it is deleted only after the DC lets it go.
  TFontHandle Underlined;
  if (Hot && ValidSection(Sm, SkinData.SkinIndex) &&
      SkinData.SkinIndex == Sm->ConstData.IndexWebBtn)
    Underlined = UnderlinedFontOf(DC);
  TSavedDC Saved(DC);
  TSelectObject UseUnderlined(DC, Underlined.Get());
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  SetBkMode(DC, TRANSPARENT);

  if (!SkinData.Skinned() || SkinData.CustomFont()) {
    DrawPlainText(DC, Text, Enabled, Format, R);
    return;
  }
  int B = SkinData.SkinIndex;
  TControl* Owner = SkinData.OwnerControl();
  if (Owner && (IsLabelKind(SkinData.COC) || !dynamic_cast<TWinControl*>(Owner)) &&
      Owner->Parent() && Sm->gd[size_t(B)].Props[size_t(St)].Transparency > 0)
    B = FontSectionOf(Owner, B, SkinData.SkinManager(), 0);
  if (!ValidSection(Sm, B)) {
    DrawTextIn(DC, Text, R, Format);
    return;
  }
  const TsGeneralData& S = Sm->gd[size_t(B)];
  const TsGenState& P = S.Props[size_t(St)];
  const int Hue = SkinData.HUEOffset(), Sat = SkinData.Saturation();

  TBitmap32* Cache = SkinData.CacheBmp();
  if (Cache && !Cache->IsEmpty() && P.GlowSize != 0) {
    // The glow is measured in the caption's font, whatever the cache's own DC holds.
    TSelectObject CacheFont(static_cast<HDC>(Cache->NativeDC()), GetCurrentObject(DC, OBJ_FONT));
    TGlowMask Mask;
    PaintTextGlow(*Cache, Text, R, Mask, ShiftedTextColor(P.GlowColor, Hue, Sat), P.GlowSize, 15,
                  Format);
  }
  if (!Enabled) {
    SetTextColor(DC,
                 ToColorRef(DisabledTextColor(S.FontColor.Color, Sm->GetGlobalColor(), Hue, Sat)));
    DrawTextIn(DC, Text, R, Format);
    return;
  }
  DrawShadows(DC, Text, TextShadowsOf(P.FontColor, Hue, Sat), Format, R);
  SetTextColor(DC, ToColorRef(ShiftedTextColor(P.FontColor.Color, Hue, Sat)));
  DrawTextIn(DC, Text, R, Format | DT_NOCLIP);
}

void DrawSectionText(HDC DC, const std::wstring& Text, bool Enabled, TsSkinManager* Manager,
                     int Hot, int SkinIndex, UINT Format, TRect R) {
  if (Text.empty() || !DC) return;
  if (!Manager) Manager = DefaultManager;
  const TsSkinModel* Sm = Manager ? &Manager->Model() : nullptr;
  TSavedDC Saved(DC);
  SetBkMode(DC, TRANSPARENT);
  if (ValidSection(Sm, SkinIndex)) {
    const TsGeneralData& S = Sm->gd[size_t(SkinIndex)];
    if (Enabled) {
      const TsGenState& P = S.Props[size_t(TextStateOf(Hot))];
      DrawShadows(DC, Text, TextShadowsOf(P.FontColor), Format, R);
      SetTextColor(DC, ToColorRef(P.FontColor.Color));
    } else {
      SetTextColor(DC, ToColorRef(DisabledTextColor(S.Props[0].FontColor.Color, S.Color)));
    }
  }
  DrawTextIn(DC, Text, R, Format);
}

void PaintTextGlow(TBitmap32& Bmp, const std::wstring& Text, TRect R, TGlowMask& MaskCache,
                   TColor Color, int Radius, int Sides, UINT Format) {
  if (Text.empty() || Bmp.IsEmpty()) return;
  Radius = std::max(Radius, 0);
  const TRect E = GlowMaskRect(R, Radius);
  if (E.IsEmpty()) return;
  HDC BmpDC = static_cast<HDC>(Bmp.NativeDC());
  if (!BmpDC) return;
  if (!MaskFits(MaskCache, Text, CurrentFontOf(BmpDC), E, Radius, Sides, Format))
    BuildGlowMask(MaskCache, BmpDC, Text, R, E, Radius, Sides, Format);
  GdiFlush(); // earlier GDI drawing on Bmp must be in its pixels before they are blended
  ApplyGlowMask(Bmp, MaskCache.Mask, E.Left, E.Top, Color);
}

std::wstring CutTextToWidth(HDC DC, const std::wstring& Text, int MaxWidth) {
  return CutTextToWidth(Text, MaxWidth, [DC](const std::wstring& S) {
    SIZE Size{};
    GetTextExtentPoint32W(DC, S.c_str(), int(S.size()), &Size);
    return int(Size.cx);
  });
}
