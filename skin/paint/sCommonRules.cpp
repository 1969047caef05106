// The window-free decisions of a control's skin state.
#include "skin/paint/sCommonRules.h"

#include <algorithm>
#include <initializer_list>

#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

struct TKindRange {
  int First, Last;
};

bool InRanges(int COC, std::initializer_list<TKindRange> Ranges) {
  for (const TKindRange& R : Ranges)
    if (COC >= R.First && COC <= R.Last) return true;
  return false;
}

} // namespace

const char* DefaultSectionOf(int COC) {
  struct TEntry {
    std::initializer_list<TKindRange> Kinds;
    const char* Section;
  };
  static const TEntry Table[] = {
      {{{2, 8},
        {10, 10},
        {41, 41},
        {76, 76},
        {78, 78},
        {83, 85},
        {96, 96},
        {131, 131},
        {140, 140},
        {230, 230}},
       "EDIT"},
      {{{11, 18}, {81, 82}}, "COMBOBOX"},
      {{{19, 19}}, "BAR"},
      {{{20, 20}}, "BARTITLE"},
      {{{32, 33}, {50, 50}, {152, 152}}, "CHECKBOX"},
      {{{51, 51}, {59, 59}, {68, 68}, {73, 73}}, "PANEL"},
      {{{52, 52}, {58, 58}}, "PANEL_LOW"},
      {{{53, 54}, {60, 60}}, "TOOLBAR"},
      {{{56, 56}}, "DRAGBAR"},
      {{{57, 57}}, "TABSHEET"},
      {{{74, 74}, {226, 226}}, "GROUPBOX"},
      {{{75, 75}}, "SPLITTER"},
      {{{92, 92}, {95, 95}}, "SPEEDBUTTON"},
      {{{93, 94}}, "BUTTON"},
      {{{98, 98}}, "TOOLBUTTON"},
      {{{141, 141}, {143, 143}}, "PAGECONTROL"},
      {{{151, 151}}, "STATUSBAR"},
      {{{161, 161}}, "GAUGE"},
      {{{165, 165}}, "TRACKBAR"},
  };
  for (const TEntry& E : Table)
    if (InRanges(COC, E.Kinds)) return E.Section;
  return nullptr;
}

bool IsEditKind(int COC) {
  return InRanges(COC, {{2, 18}, {41, 41}, {76, 84}, {96, 96}, {131, 140}, {231, 231}});
}

bool IsContainerKind(int COC) {
  return InRanges(COC, {{19, 19}, {51, 74}, {110, 110}, {141, 161}});
}

bool IsNoGlowKind(int COC) {
  return InRanges(COC, {{51, 52},
                        {54, 54},
                        {56, 60},
                        {68, 68},
                        {73, 74},
                        {92, 94},
                        {110, 110},
                        {141, 141},
                        {143, 143},
                        {151, 151},
                        {161, 161},
                        {226, 226}});
}

bool IsLabelKind(int COC) {
  return COC == 32 || COC == 33 || COC == 74;
}

int StateRecordOf(const TsGeneralData& Section, int State) {
  int St = std::min(State, Section.States - 1);
  return std::clamp(St, 0, 1);
}

uint16_t ComputeBGType(const TsGeneralData& Section) {
  uint16_t Result = 0;
  if (Section.ImagePercent != 0) Result |= bgtTexture;
  if (Section.GradientPercent != 0 && !Section.GradientArray.empty()) {
    switch (Section.GradientArray.front().Mode1) {
    case 0: Result |= bgtHeight; break;
    case 1: Result |= bgtWidth; break;
    case 2: Result |= bgtWidth | bgtHeight; break;
    default: break;
    }
  }
  return Result;
}

int PlainStateOf(const TsSkinModel* Sm, int SkinIndex, bool ExtendedBorder,
                 const std::function<TPlainParent()>& Parent) {
  if (!ValidSection(Sm, SkinIndex)) return 1;
  const TsGeneralData& S = Sm->gd[size_t(SkinIndex)];
  if (ValidMask(Sm, S.BorderIndex) && (Sm->ma[size_t(S.BorderIndex)].DrawMode & dmDrawCentre))
    return 0;
  if (S.Transparency >= 100) {
    if (ValidMask(Sm, S.TextureNormal) && Sm->ma[size_t(S.TextureNormal)].DrawMode == 10) return 0;
    TPlainParent P = Parent ? Parent() : TPlainParent{};
    if (!P.HasOwner || !P.HasParent) return 0;
    if (!P.ParentHasHandle) return 2;
    return P.ParentSkinned ? (P.ParentSkinState & cssPlainMask) : 1;
  }
  if (S.Transparency > 0) return 0;
  if (S.ImagePercent != 0 || S.GradientPercent != 0) return 0;
  bool Corners = S.ImgTL >= 0 || S.ImgTR >= 0 || S.ImgBL >= 0 || S.ImgBR >= 0;
  return Corners || ExtendedBorder ? 0 : 1;
}

TColor ColorForStateOf(const TsGeneralData* Section, int State, bool CustomColor, TColor OwnColour,
                       const std::function<TColor()>& ParentColour) {
  if (!Section) return OwnColour;
  int St = State > 0 && Section->States > 1 ? 1 : 0;
  const TsGenState& P = Section->Props[size_t(St)];
  if (P.Transparency >= 100) return ParentColour ? ParentColour() : TColor(clBtnFace);
  if (P.Transparency > 0)
    return BlendColors(P.Color, ParentColour ? ParentColour() : TColor(clBtnFace),
                       P.Transparency / 100.0);
  if (!CustomColor) return P.Color;
  return OwnColour;
}

TColor MixQueryColor(TColor Section, TColor Parent, int Transparency) {
  Section = ColorToRGB(Section);
  Parent = ColorToRGB(Parent);
  auto Mix = [Transparency](int S, int P) {
    return ClampByte(S + ((Transparency * (P - S)) >> 8));
  };
  return RGBColor(Mix(RValue(Section), RValue(Parent)), Mix(GValue(Section), GValue(Parent)),
                  Mix(BValue(Section), BValue(Parent)));
}

TColor QueryColorOf(const TsGeneralData* Section, TColor Own,
                    const std::function<TColor()>& Parent) {
  if (!Section) return ColorToRGB(Own);
  int T = Section->Transparency;
  if (T <= 0) return ColorToRGB(Section->Color);
  TColor P = Parent ? ColorToRGB(Parent()) : ColorToRGB(Own);
  if (T >= 100) return P;
  return MixQueryColor(Section->Color, P, T);
}

TBackgroundStep BackgroundStepOf(const TsGeneralData* Section, int State,
                                 const TBackgroundFacts& Facts) {
  if (!Facts.Skinned || Facts.CustomColor || !Section) return bsOwnColour;
  const TsGenState& P = Section->Props[size_t(StateRecordOf(*Section, State))];
  int T = P.Transparency;
  if (T <= 0) {
    if (P.GradientPercent <= 0 && P.ImagePercent < 1) return bsPlainColour;
    if (!Facts.HasCache || Facts.CacheEmpty || !Facts.CacheFitsOwner) return bsNotReady;
    return bsOwnCache;
  }
  if (T >= 100) {
    if (Facts.PlainFace || !Facts.HasCache) return bsPassOn;
    return bsOwnCache;
  }
  if (!Facts.HasCache) return bsUnknownColour;
  if (Facts.CacheEmpty) return bsNotReadyHold;
  return bsOwnCache;
}
