// Skinned labels.
#include "skin/controls/sLabel.h"

#include "base/GdiObjects.h"
#include "base/TextUtils.h"
#include "skin/controls/sCommonData.h"
#include "skin/controls/sSkinText.h"
#include "skin/manager/sSkinManager.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// Set while a paint gives the label its section's font colour: the font change it causes is
// not a change of the label.
bool ApplyingSectionColor = false;
// Set while a font change of a label is handled.
bool HandlingFontChange = false;

const TsSkinModel* ActiveModel() {
  return SkinActive() ? &DefaultManager->Model() : nullptr;
}

} // namespace

bool SkinActive() {
  return DefaultManager && DefaultManager->Active() && DefaultManager->Model().SkinData.Active &&
         !DefaultManager->Model().gd.empty();
}

TsCustomLabel::TsCustomLabel(TComponent* AOwner) : TLabel(AOwner) {}

bool TsCustomLabel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "SkinSection") {
    SkinSection = Value.AsString();
  } else if (Name == "Layout") {
    Layout = TTextLayout(Value.AsIdentIndex({"tlTop", "tlCenter", "tlBottom"}));
  } else if (Name == "ShowAccelChar") {
    ShowAccelChar = Value.AsBool();
  } else if (Name == "OnMouseEnter") {
    OnMouseEnter = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnMouseLeave") {
    OnMouseLeave = Value.AsMethod<TNotifyEvent>();
  } else {
    return TLabel::ReadProperty(Name, Value);
  }
  return true;
}

TColor TsCustomLabel::DisabledTextColor() const {
  return BlendColors(Font().Color(), ::ParentColor(Parent()), 0.4);
}

TColor TsCustomLabel::GetTextColor() const {
  if (!Enabled()) return DisabledTextColor();
  const TsSkinModel* Sm = ActiveModel();
  return Sm ? Sm->GetGlobalFontColor() : Font().Color();
}

void TsCustomLabel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case CM_FONTCHANGED:
    if (IsDestroying() || IsLoading() || HandlingFontChange) break;
    if (ApplyingSectionColor) return;
    HandlingFontChange = true;
    AdjustBounds();
    Invalidate();
    HandlingFontChange = false;
    return;
  case CM_MOUSEENTER:
    if (OnMouseEnter) OnMouseEnter(this);
    break;
  case CM_MOUSELEAVE:
    TLabel::WndProc(Message);
    if (OnMouseLeave) OnMouseLeave(this);
    return;
  case KV_SKINMSG:
    // At run time a label is repainted with its parent.
    return;
  default: break;
  }
  TLabel::WndProc(Message);
}

void TsCustomLabel::PaintSectionBehind(HDC DC) {
  const TsSkinModel* Sm = ActiveModel();
  if (!Sm || Width() <= 0 || Height() <= 0) return;
  TBitmap32 Bmp(Width(), Height());
  TBackgroundInfo Info;
  QueryParentBackground(Info, Parent(), false);
  if (Info.Kind == bkNotReady) return;
  PaintSectionByIndex(FSkinIndex, Sm->gd[size_t(FSkinIndex)].ClassName, BackgroundToCacheInfo(Info),
                      -1, -1, Sm, &Bmp, {Left(), Top()}, Bmp.BoundsRect(), 0, true);
  if (HDC Src = static_cast<HDC>(Bmp.NativeDC()))
    CopyToScreen(DC, 0, 0, Width(), Height(), Src, 0, 0);
}

void TsCustomLabel::Paint(HDC DC) {
  FSkinIndex = -1;
  if (!IsDestroying()) {
    if (!ApplyingSectionColor) {
      ApplyingSectionColor = true;
      if (const TsSkinModel* Sm = ActiveModel(); Sm && !SkinSection.empty()) {
        FSkinIndex = Sm->GetSkinIndex(UpperCaseAscii(WideToUtf8(SkinSection)));
        if (FSkinIndex >= 0) {
          TColor C = Sm->gd[size_t(FSkinIndex)].Props[0].FontColor.Color;
          if (!FSectionColorApplied) {
            FDesignFontColor = Font().Color();
            FSectionColorApplied = true;
          }
          if (C != Font().Color()) Font().SetColor(C);
        }
      }
      if (FSkinIndex < 0 && FSectionColorApplied) {
        FSectionColorApplied = false;
        if (Font().Color() != FDesignFontColor) Font().SetColor(FDesignFontColor);
      }
      ApplyingSectionColor = false;
    }
    // Section 0 gives its colour but no background.
    if (FSkinIndex > 0) PaintSectionBehind(DC);
  }
  UINT Flags = DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0) |
               (Alignment() == taCenter         ? DT_CENTER
                : Alignment() == taRightJustify ? DT_RIGHT
                                                : DT_LEFT);
  TRect R{0, 0, Width(), Height()};
  SetBkMode(DC, TRANSPARENT);
  if (Layout != tlTop) {
    TRect M = R;
    DoDrawText(DC, M, Flags | DT_CALCRECT);
    int Shift = Layout == tlCenter ? (Height() - M.Height()) / 2 : Height() - M.Height();
    R.Offset(0, Shift);
  }
  DoDrawText(DC, R, Flags);
  FSkinIndex = -1;
}

void TsCustomLabel::DoDrawText(HDC DC, TRect& R, UINT Flags) {
  std::wstring Text = ReplacedLineBreaks(Caption(), L"\r\n");
  if (Flags & DT_CALCRECT) {
    if (Text.empty()) Text = L" ";
    if (ShowAccelChar && Text == L"&") Text += L" ";
  }
  if (!ShowAccelChar) Flags |= DT_NOPREFIX;
  TSelectObject SelectedFont(DC, GetTextFont().Handle());
  COLORREF Ink = SkinActive() ? ToColorRef(GetTextColor())
                 : Enabled()  ? ToColorRef(Font().Color())
                              : GetSysColor(COLOR_GRAYTEXT);
  SetTextColor(DC, Ink);
  SetBkMode(DC, TRANSPARENT);
  RECT W{R.Left, R.Top, R.Right, R.Bottom};
  DrawTextW(DC, Text.c_str(), int(Text.size()), &W, Flags);
  if (Flags & DT_CALCRECT) R = {W.left, W.top, W.right, W.bottom};
}

TColor TsLabel::GetTextColor() const {
  if (!UseSkinColor || !SkinActive()) return Font().Color();
  if (!Enabled()) return DisabledTextColor();
  const TsSkinModel& Sm = DefaultManager->Model();
  int Own = SkinSection.empty() ? -1 : Sm.GetSkinIndex(UpperCaseAscii(WideToUtf8(SkinSection)));
  int Index = FontSectionOf(const_cast<TsLabel*>(this), Own, DefaultManager, 0);
  if (ValidSection(&Sm, Index)) return Sm.gd[size_t(Index)].Props[0].FontColor.Color;
  return Sm.GetGlobalFontColor();
}

bool TsLabel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "UseSkinColor") {
    UseSkinColor = Value.AsBool();
    return true;
  }
  return TsCustomLabel::ReadProperty(Name, Value);
}
